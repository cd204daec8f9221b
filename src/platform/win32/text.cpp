#include "platform/win32/text.h"

#include <windows.h>

#include <optional>

namespace zeltrand::win32 {

std::wstring Widen(std::string_view cp932) {
  if (cp932.empty()) return {};
  const int n =
      MultiByteToWideChar(kCodePage, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(kCodePage, 0, cp932.data(), static_cast<int>(cp932.size()), out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  // One call: code page 932 needs at most two bytes for a UTF-16 unit.
  std::string out(2 * utf16.size(), '\0');
  const int n = WideCharToMultiByte(kCodePage, 0, utf16.data(), static_cast<int>(utf16.size()),
                                    out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(static_cast<size_t>(n));
  return out;
}

std::string Utf8(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

namespace {

std::optional<std::string> Exactly(std::wstring_view utf16) {
  std::string narrow = Narrow(utf16);
  if (Widen(narrow) != utf16) return std::nullopt;
  return narrow;
}

std::wstring ShortPath(const std::wstring& path) {
  const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring out(n, L'\0');
  const DWORD written = GetShortPathNameW(path.c_str(), out.data(), n);
  out.resize(written < n ? written : 0);
  return out;
}

}  // namespace

std::string NarrowPath(const std::wstring& path) {
  if (auto exact = Exactly(path)) return *exact;
  if (auto exact = Exactly(ShortPath(path)); exact && !exact->empty()) return *exact;
  const std::size_t cut = path.find_last_of(L'\\');
  if (cut == std::wstring::npos || cut == 0) return {};
  const auto folder = Exactly(ShortPath(path.substr(0, cut)));
  const auto name = Exactly(std::wstring_view(path).substr(cut));
  if (!folder || folder->empty() || !name) return {};
  return *folder + *name;
}

}  // namespace zeltrand::win32
