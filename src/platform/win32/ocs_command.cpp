#include "platform/win32/ocs_command.h"

#include <windows.h>

#include "core/app_state.h"
#include "platform/win32/http.h"
#include "platform/win32/summary_command.h"
#include "platform/win32/text.h"
#include "server/record_file_send.h"

namespace zeltrand::win32 {

namespace {

int Tell(std::string_view cp932_message, unsigned icon, int code) {
  MessageBoxW(nullptr, Widen(cp932_message).c_str(), Widen(kTitleText).c_str(), MB_OK | icon);
  return code;
}

}  // namespace

bool IsOcsCommand(const wchar_t* command_line) {
  const std::vector<std::wstring> arguments = CommandArguments(command_line);
  return !arguments.empty() && lstrcmpiW(arguments[0].c_str(), L"/ocs") == 0;
}

int RunOcsCommand(const wchar_t* command_line) {
  const std::vector<std::wstring> arguments = CommandArguments(command_line);
  if (arguments.size() < 2) {
    return Tell("使い方: Zeltrand.exe /ocs URL [取得情報記録ﾌｧｲﾙ]", MB_ICONEXCLAMATION, 64);
  }
  const std::wstring record_path = arguments.size() > 2 ? arguments[2] : SettingsRecordPath();
  HANDLE file = CreateFileW(record_path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  LARGE_INTEGER size{};
  if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size)) {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return Tell("取得情報記録ﾌｧｲﾙを開けません。\n" + Narrow(record_path), MB_ICONEXCLAMATION, 2);
  }
  RecordFileSource source(file, static_cast<std::uint64_t>(size.QuadPart));
  Win32Http http;
  Win32TextConverter text;
  // Windows has no deflate to call: stored blocks, and the reply is taken
  // on its status, type and zlib header (ocs_client.h).
  const server::RecordFileSend result =
      server::SendRecordFile(source, Narrow(arguments[1]), http, text, server::StoredZlib, nullptr);
  CloseHandle(file);
  if (source.failed()) {
    return Tell("取得情報記録ﾌｧｲﾙを読めません。\n" + Narrow(record_path), MB_ICONEXCLAMATION, 2);
  }
  const bool all = result.failed.empty();
  return Tell(server::SendReportText(result), all ? MB_ICONINFORMATION : MB_ICONEXCLAMATION,
              all ? 0 : 1);
}

}  // namespace zeltrand::win32
