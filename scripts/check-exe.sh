#!/bin/sh
# Reads the built Zeltrand.exe as Windows will: it must import only DLLs that
# Windows always takes from its system folder, whatever lies beside the exe
# (the known DLLs of Windows 7 to 11, and comctl32, which the manifest binds
# to the system's Common Controls 6), and its header must ask for Windows 7.
exe=${1:?usage: check-exe.sh Zeltrand.exe}
dump=$(x86_64-w64-mingw32-objdump -p "$exe") || exit 2
known=' advapi32 clbcatq comctl32 comdlg32 difxapi gdi32 imagehlp imm32 kernel32 msctf msvcrt
 normaliz nsi ntdll ole32 oleaut32 psapi rpcrt4 sechost setupapi shell32 shlwapi user32 wldap32
 ws2_32 '
status=0
imports=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sed 's/\.dll$//')
[ -n "$imports" ] || { echo "no import table in $exe"; exit 1; }
for dll in $imports; do
  case $known in
    *" $dll"[[:space:]]*) ;;
    *) echo "imports $dll.dll, which Windows may take from the exe's folder"; status=1 ;;
  esac
done
version=$(echo "$dump" | awk '/^MajorSubsystemVersion/ {major = $2} /^MinorSubsystemVersion/ {minor = $2}
                             END {print major "." minor}')
[ "$version" = 6.1 ] || { echo "subsystem version $version, not 6.1"; status=1; }
[ $status = 0 ] && echo "imports:" $imports "; subsystem version $version"
exit $status
