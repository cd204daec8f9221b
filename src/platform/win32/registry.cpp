#include "platform/win32/registry.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/win32/text.h"

namespace zeltrand::win32 {
namespace {

// Value names may be up to 16,383 characters; key names are shorter.
constexpr DWORD kLongestName = 16384;

HKEY RootKey(RegRoot root) {
  switch (root) {
    case RegRoot::kLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegRoot::kCurrentUser:
      return HKEY_CURRENT_USER;
    case RegRoot::kUsers:
      return HKEY_USERS;
  }
  return HKEY_LOCAL_MACHINE;
}

bool IsText(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Calls `enumerate(buffer, length)` with a growing buffer until the name
// fits; the enumeration calls give no way to ask for the length alone.
template <typename Enumerate>
std::optional<std::string> EnumName(Enumerate enumerate) {
  std::wstring name(256, L'\0');
  while (true) {
    DWORD length = static_cast<DWORD>(name.size());
    const LONG rc = enumerate(name.data(), &length);
    if (rc == ERROR_MORE_DATA && name.size() < kLongestName) {
      name.resize(name.size() * 2);
      continue;
    }
    if (rc != ERROR_SUCCESS) return std::nullopt;
    name.resize(length);
    return Narrow(name);
  }
}

class Win32Key : public RegistryKey {
 public:
  explicit Win32Key(HKEY key) : key_(key) {}
  ~Win32Key() override { RegCloseKey(key_); }
  Win32Key(const Win32Key&) = delete;
  Win32Key& operator=(const Win32Key&) = delete;

  std::optional<std::string> SubkeyName(std::uint32_t index) override {
    return EnumName([&](wchar_t* buffer, DWORD* length) {
      return RegEnumKeyExW(key_, index, buffer, length, nullptr, nullptr, nullptr, nullptr);
    });
  }

  std::optional<std::string> ValueName(std::uint32_t index) override {
    return EnumName([&](wchar_t* buffer, DWORD* length) {
      return RegEnumValueW(key_, index, buffer, length, nullptr, nullptr, nullptr, nullptr);
    });
  }

  RegQuery Query(std::string_view name, std::size_t max_size) override {
    const std::wstring wide_name = Widen(name);
    DWORD type = REG_NONE;
    std::vector<BYTE> raw;
    if (!Read(wide_name, type, raw, max_size)) return {};

    RegQuery result;
    result.type = static_cast<RegType>(type);
    if (IsText(type)) {
      // What the ANSI call would hand over: the same characters in code
      // page 932, terminators included, sized after conversion.
      std::wstring text(raw.size() / sizeof(wchar_t), L'\0');
      std::memcpy(text.data(), raw.data(), text.size() * sizeof(wchar_t));
      result.data = Narrow(text);
    } else {
      result.data.assign(raw.begin(), raw.end());
    }
    result.size = result.data.size();
    if (result.size > max_size) {
      result.status = RegStatus::kTooLarge;
      result.data.clear();
    } else {
      result.status = RegStatus::kOk;
    }
    return result;
  }

 private:
  // Fetches the raw UTF-16 registry bytes. A non-text value larger than
  // `max_size` is not read at all; `raw` is then filled with zeros of its
  // size so the caller reports it as too large.
  bool Read(const std::wstring& name, DWORD& type, std::vector<BYTE>& raw, std::size_t max_size) {
    DWORD size = 0;
    LONG rc = RegQueryValueExW(key_, name.c_str(), nullptr, &type, nullptr, &size);
    // The value may grow between asking for its size and reading it.
    while (rc == ERROR_SUCCESS) {
      raw.assign(size, 0);
      if (!IsText(type) && size > max_size) return true;
      DWORD got = size;
      rc = RegQueryValueExW(key_, name.c_str(), nullptr, &type, raw.data(), &got);
      if (rc == ERROR_MORE_DATA) {
        size = got;
        rc = ERROR_SUCCESS;
        continue;
      }
      raw.resize(got);
      break;
    }
    return rc == ERROR_SUCCESS;
  }

  HKEY key_;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32Registry::Open(RegRoot root, std::string_view path,
                                                 RegView view) {
  // Only what reading needs, so keys that grant no more than that still open.
  const REGSAM access = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS |
                        (view == RegView::k32Bit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY);
  HKEY key = nullptr;
  if (RegOpenKeyExW(RootKey(root), Widen(path).c_str(), 0, access, &key) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32Key>(key);
}

}  // namespace zeltrand::win32
