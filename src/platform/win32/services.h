// Every platform service over Win32, bundled the way the logic takes them.
#pragma once

#include "platform/system.h"
#include "platform/win32/cp932_converter.h"
#include "platform/win32/cpu.h"
#include "platform/win32/http.h"
#include "platform/win32/machine.h"
#include "platform/win32/net.h"
#include "platform/win32/network_probes.h"
#include "platform/win32/registry.h"
#include "platform/win32/shell.h"
#include "platform/win32/system.h"
#include "platform/win32/win_ini.h"

namespace zeltrand::win32 {

struct SystemServices {
  Win32Clock clock;
  Win32Files files;
  Win32Registry registry;
  Win32Machine machine;
  Win32Cpu cpu;
  Win32NetBios netbios;
  Win32MibAgent mib;
  Win32Uuid uuid;
  Win32WinIni win_ini;
  Win32Shell shell;
  Win32Net net;
  Win32Http http;
  Win32TextConverter text;
  Services services{clock, files,   registry, machine, cpu,  netbios, mib,
                    uuid,  win_ini, shell,    net,     http, text};
};

}  // namespace zeltrand::win32
