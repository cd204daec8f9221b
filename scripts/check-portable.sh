#!/bin/sh
# Fails when a file outside src/platform/win32 includes a Windows header
# (test programs that run under Wine are the exception).
cd "${1:-.}" || exit 2
hits=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([a-z0-9_]*\.h)?' src tests \
  --include='*.h' --include='*.cpp' \
  | grep -v '^src/platform/win32/' | grep -v '^tests/e2e/driver/' | grep -v '^tests/tools/[a-z_]*_win32.cpp:' \
  | grep -iE '[<"/](windows|winbase|winuser|winreg|winsock2?|ws2tcpip|windef|commctrl|commdlg|shlobj|shellapi|objbase|ole2|nb30|snmp|rpc|iphlpapi|mmsystem|winnt|minwindef|tchar|wtypes)\.h[>"]')
if [ -n "$hits" ]; then
  echo "Windows headers outside src/platform/win32:"; echo "$hits"; exit 1
fi
# Includes run one way: app -> feature folders -> core and platform, the
# Win32 layer included; only the entry points (main.cpp, and summary_main.cpp
# of the native summary command) include app/.
upward=$(grep -rn '#include "app/' src | grep -v '^src/app/' | grep -v '^src/platform/win32/main\.cpp:' |
           grep -v '^src/platform/posix/summary_main\.cpp:'
         grep -rnE '#include "(settings|collect|record|mail|reports|summary|server)/' src/core src/platform)
if [ -n "$upward" ]; then
  echo "Includes against the layering (app -> features -> core/platform):"; echo "$upward"; exit 1
fi
echo "portable sources: no Windows header; includes run one way"
