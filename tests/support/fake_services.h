// Every platform service as a fake, bundled the way the program hands them
// to its logic.
#pragma once

#include "support/fake_machine.h"
#include "support/fake_net.h"
#include "support/fake_network_probes.h"
#include "support/fake_shell.h"
#include "support/fake_system.h"
#include "support/memory_registry.h"

namespace zeltrand::testing {

struct FakeServices {
  FakeClock clock;
  FakeFiles files;
  MemoryRegistry registry;
  FakeMachine machine;
  FakeCpu cpu;
  FakeNetBios netbios;
  FakeMibAgent mib;
  FakeUuid uuid;
  FakeWinIni win_ini;
  FakeShell shell;
  FakeNet net;
  Services services{clock, files, registry, machine, cpu, netbios, mib, uuid, win_ini, shell, net};
};

}  // namespace zeltrand::testing
