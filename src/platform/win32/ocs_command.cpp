#include "platform/win32/ocs_command.h"

#include <windows.h>

#include <shellapi.h>

#include "core/app_state.h"
#include "platform/win32/text.h"

namespace zeltrand::win32 {

namespace {

std::wstring Argument(const wchar_t* command_line, int index) {
  int count = 0;
  wchar_t** list = CommandLineToArgvW(command_line, &count);
  if (list == nullptr) return {};
  std::wstring argument = index < count ? list[index] : L"";
  LocalFree(list);
  return argument;
}

}  // namespace

bool IsOcsCommand(const wchar_t* command_line) {
  return lstrcmpiW(Argument(command_line, 1).c_str(), L"/ocs") == 0;
}

std::vector<std::string> OcsArguments(const wchar_t* command_line) {
  int count = 0;
  wchar_t** list = CommandLineToArgvW(command_line, &count);
  if (list == nullptr) return {};
  std::vector<std::string> arguments;
  for (int i = 2; i < count; ++i) arguments.push_back(Narrow(list[i]));
  LocalFree(list);
  return arguments;
}

void ShowOcsReport(std::string_view report, bool all_sent) {
  MessageBoxW(nullptr, Widen(report).c_str(), Widen(kTitleText).c_str(),
              MB_OK | (all_sent ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
}

}  // namespace zeltrand::win32
