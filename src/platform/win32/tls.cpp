#include "platform/win32/net.h"

namespace zeltrand::win32 {

SecuredConnection Win32Net::Secure(Connection&, const TlsRequest&) {
  return {nullptr, TlsCheck::kFailed, 0};
}

}  // namespace zeltrand::win32
