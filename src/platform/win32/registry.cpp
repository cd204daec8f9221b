#include "platform/win32/registry.h"

#include <windows.h>

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
// The name stays UTF-16 here: turned into code page 932 and back, a name
// with a character the code page lacks would no longer open.
template <typename Enumerate>
std::optional<std::wstring> EnumName(Enumerate enumerate) {
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
    return name;
  }
}

std::optional<std::string> Narrowed(const std::optional<std::wstring>& name) {
  if (!name) return std::nullopt;
  return Narrow(*name);
}

class Win32Key : public RegistryKey {
 public:
  Win32Key(HKEY key, REGSAM access) : key_(key), access_(access) {}
  ~Win32Key() override { RegCloseKey(key_); }
  Win32Key(const Win32Key&) = delete;
  Win32Key& operator=(const Win32Key&) = delete;

  std::unique_ptr<RegistryKey> Open(std::string_view path) override {
    HKEY child = nullptr;
    if (RegOpenKeyExW(key_, Widen(path).c_str(), 0, access_, &child) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<Win32Key>(child, access_);
  }

  std::optional<RegSubkey> Subkey(std::uint32_t index) override {
    // Key names are at most 255 characters: one call in practice.
    name_.resize(256);
    DWORD length = static_cast<DWORD>(name_.size());
    const LONG rc =
        RegEnumKeyExW(key_, index, name_.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) {
      std::optional<std::wstring> name = SubkeyWideName(index);
      if (!name) return std::nullopt;
      name_ = std::move(*name);
    } else if (rc == ERROR_SUCCESS) {
      name_.resize(length);
    } else {
      return std::nullopt;
    }
    RegSubkey subkey{Narrow(name_), nullptr};
    HKEY child = nullptr;
    if (RegOpenKeyExW(key_, name_.c_str(), 0, access_, &child) == ERROR_SUCCESS) {
      subkey.key = std::make_unique<Win32Key>(child, access_);
    }
    return subkey;
  }

  std::optional<RegValue> Value(std::uint32_t index, std::size_t max_size) override {
    // Most values fit the first try: name and data in one call, into
    // buffers the key keeps from one value to the next.
    name_.resize(256);
    raw_.resize(2 * max_size + 2);
    DWORD name_length = static_cast<DWORD>(name_.size());
    DWORD size = static_cast<DWORD>(raw_.size());
    DWORD type = REG_NONE;
    const LONG rc =
        RegEnumValueW(key_, index, name_.data(), &name_length, nullptr, &type, raw_.data(), &size);
    if (rc == ERROR_NO_MORE_ITEMS) return std::nullopt;
    if (rc == ERROR_SUCCESS) {
      return RegValue{Narrow(std::wstring_view(name_.data(), name_length)),
                      Convert(type, raw_.data(), size, max_size)};
    }
    // A long name or large data: name first, then the value by that name.
    const std::optional<std::wstring> long_name = ValueWideName(index);
    if (!long_name) return std::nullopt;
    return RegValue{Narrow(*long_name), QueryWide(*long_name, max_size)};
  }

  std::optional<std::string> SubkeyName(std::uint32_t index) override {
    return Narrowed(SubkeyWideName(index));
  }

  std::optional<std::string> ValueName(std::uint32_t index) override {
    return Narrowed(ValueWideName(index));
  }

  RegQuery Query(std::string_view name, std::size_t max_size) override {
    return QueryWide(Widen(name), max_size);
  }

 private:
  std::optional<std::wstring> SubkeyWideName(std::uint32_t index) {
    return EnumName([&](wchar_t* buffer, DWORD* length) {
      return RegEnumKeyExW(key_, index, buffer, length, nullptr, nullptr, nullptr, nullptr);
    });
  }

  std::optional<std::wstring> ValueWideName(std::uint32_t index) {
    return EnumName([&](wchar_t* buffer, DWORD* length) {
      return RegEnumValueW(key_, index, buffer, length, nullptr, nullptr, nullptr, nullptr);
    });
  }

  RegQuery QueryWide(const std::wstring& wide_name, std::size_t max_size) {
    DWORD type = REG_NONE;
    std::vector<BYTE> raw;
    if (!Read(wide_name, type, raw, max_size)) return {};
    return Convert(type, raw.data(), raw.size(), max_size);
  }

  static RegQuery Convert(DWORD type, const BYTE* raw, std::size_t size, std::size_t max_size) {
    RegQuery result;
    result.type = static_cast<RegType>(type);
    if (IsText(type)) {
      // What the ANSI call would hand over: the same characters in code
      // page 932, terminators included, sized after conversion.
      result.data =
          Narrow(std::wstring_view(reinterpret_cast<const wchar_t*>(raw), size / sizeof(wchar_t)));
    } else {
      result.data.assign(raw, raw + size);
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
  REGSAM access_;
  std::wstring name_;
  std::vector<BYTE> raw_;
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
  return std::make_unique<Win32Key>(key, access);
}

}  // namespace zeltrand::win32
