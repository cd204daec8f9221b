// Read-only access to the Windows registry, the way the collectors and the
// reports need it. Key paths, value names and string data are code page 932
// bytes, as the ANSI registry calls would hand them over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zeltrand {

enum class RegRoot { kLocalMachine, kCurrentUser, kUsers };

// Which registry a 64-bit Windows shows: its own, or the one 32-bit programs
// see (kept under Software\Wow6432Node).
enum class RegView { kNative, k32Bit };

enum class RegType : std::uint32_t {
  kNone = 0,
  kString = 1,        // REG_SZ
  kExpandString = 2,  // REG_EXPAND_SZ
  kBinary = 3,        // REG_BINARY
  kDword = 4,         // REG_DWORD (little-endian)
  kMultiString = 7,   // REG_MULTI_SZ
  kQword = 11,        // REG_QWORD
};

enum class RegStatus {
  kOk,
  kMissing,  // no such value
  kTooLarge  // the value exists but does not fit the size asked for
};

struct RegQuery {
  RegStatus status = RegStatus::kMissing;
  RegType type = RegType::kNone;
  // The bytes as RegQueryValueExA returns them: string types in code page
  // 932 with their terminating zero(s), numbers little-endian. Empty unless
  // status is kOk.
  std::string data;
  // The value's full size in bytes, also for kTooLarge.
  std::size_t size = 0;

  bool ok() const { return status == RegStatus::kOk; }
  // String data without the terminating zero and anything after it.
  std::string Text() const;
  // REG_DWORD data as a number; nullopt for any other type or size.
  std::optional<std::uint32_t> Dword() const;
};

class RegistryKey;

// A sub-key as enumerated, opened through its parent by the name the system
// gave, so a key whose name code page 932 cannot hold still opens.
struct RegSubkey {
  std::string name;                  // code page 932; a character it lacks shows as '?'
  std::unique_ptr<RegistryKey> key;  // null when the sub-key does not open for reading
};

// A value as enumerated, its data read in the same step.
struct RegValue {
  std::string name;  // code page 932; a character it lacks shows as '?'
  RegQuery query;
};

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // Opens `path` below this key for reading; null when it does not open.
  virtual std::unique_ptr<RegistryKey> Open(std::string_view path) = 0;
  // Sub-key number `index`; nullopt once the enumeration ends. Walks use
  // this rather than opening a path built from SubkeyName.
  virtual std::optional<RegSubkey> Subkey(std::uint32_t index) = 0;
  // Value number `index` with its data as Query(name, max_size) would read
  // it; nullopt at the end.
  virtual std::optional<RegValue> Value(std::uint32_t index, std::size_t max_size = 256) = 0;
  // The name of sub-key number `index`; nullopt once the enumeration ends.
  virtual std::optional<std::string> SubkeyName(std::uint32_t index) = 0;
  // The name of value number `index` ("" is the default value); nullopt at
  // the end.
  virtual std::optional<std::string> ValueName(std::uint32_t index) = 0;
  // Reads one value into at most `max_size` bytes (string terminator
  // included), like RegQueryValueExA with a buffer of that size.
  virtual RegQuery Query(std::string_view name, std::size_t max_size = 256) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens `path` (backslash-separated, relative to the root) for reading;
  // null when it does not exist or cannot be opened.
  virtual std::unique_ptr<RegistryKey> Open(RegRoot root, std::string_view path,
                                            RegView view = RegView::kNative) = 0;
};

}  // namespace zeltrand
