// Every platform service as a fake, bundled the way the program hands them
// to its logic.
#pragma once

#include "platform/posix/iconv_converter.h"
#include "support/fake_http.h"
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
  FakeHttp http;
  posix::IconvConverter text;
  Services services{clock, files,   registry, machine, cpu,  netbios, mib,
                    uuid,  win_ini, shell,    net,     http, text};
};

}  // namespace zeltrand::testing
