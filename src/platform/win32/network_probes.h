#pragma once

#include "platform/network_probes.h"

namespace zeltrand::win32 {

class Win32NetBios final : public NetBios {};

class Win32MibAgent final : public MibAgent {};

class Win32Uuid final : public UuidSource {};

}  // namespace zeltrand::win32
