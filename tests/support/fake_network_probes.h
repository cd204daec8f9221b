// Scripted MAC address sources and win.ini for the collectors' tests.
#pragma once

#include "platform/network_probes.h"
#include "platform/win_ini.h"

namespace zeltrand::testing {

class FakeNetBios : public NetBios {};

class FakeMibAgent : public MibAgent {};

class FakeUuid : public UuidSource {};

class FakeWinIni : public WinIni {};

}  // namespace zeltrand::testing
