// A registry held in memory, filled from .reg fixtures or by hand, that
// answers like the registry of a Wine prefix into which the same fixtures
// were imported:
//
// - Names match without regard to letter case. Sub-keys and values are both
//   enumerated in Wine's order: sorted by their UTF-16 form, compared after
//   lower-casing (so "_a" comes before "A1", and half-width katakana after
//   kanji). Windows lists values in the order they were written instead,
//   so a list built from values may come out in another order there; here
//   the unit and end-to-end tests agree.
// - A query that does not fit `max_size` reports kTooLarge and the size.
// - The 32-bit view of HKLM\Software is HKLM\Software\Wow6432Node, as on
//   64-bit Windows, once that key exists; before that both views are the
//   same, as on 32-bit Windows. Wow6432Node paths also open literally.
// - Paths may not start with a backslash; doubled or trailing backslashes
//   are ignored, as Wine ignores them.
// - HKEY_USERS\S-1-5-21-0-0-0-1000 is not tied to HKEY_CURRENT_USER here
//   as it is in Wine.
// - A key keeps its name as a .reg file in UTF-16 spells it. A character
//   code page 932 lacks shows as '?' in the name the key reports, and a
//   path spelt with that '?' does not open the key, as on Windows; the key
//   still opens through its parent with RegistryKey::Subkey.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace zeltrand {

class MemoryRegistry : public Registry {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  std::unique_ptr<RegistryKey> Open(RegRoot root, std::string_view path,
                                    RegView view = RegView::kNative) override;

  // Each of these creates the key and its parents when they are missing.
  // Paths, names and data are code page 932, data as the ANSI calls return
  // it (so a string's bytes include its terminator).
  void AddKey(RegRoot root, std::string_view path);
  void SetValue(RegRoot root, std::string_view path, std::string_view name, RegType type,
                std::string_view data);
  void SetString(RegRoot root, std::string_view path, std::string_view name, std::string_view text);
  void SetDword(RegRoot root, std::string_view path, std::string_view name, std::uint32_t value);

  void DeleteKey(RegRoot root, std::string_view path);  // and everything below it
  void DeleteValue(RegRoot root, std::string_view path, std::string_view name);

  // Imports a .reg file (see support/reg_file.h). On a malformed file
  // nothing is changed and load_error() says what is wrong and where.
  [[nodiscard]] bool LoadRegText(std::string_view file_bytes);
  [[nodiscard]] bool LoadRegFile(const std::string& file_path);
  const std::string& load_error() const { return load_error_; }

  struct Node;

 private:
  using Parts = std::vector<std::u16string>;
  std::shared_ptr<Node> RootNode(RegRoot root) const;
  std::shared_ptr<Node> Find(RegRoot root, const Parts& parts) const;
  std::shared_ptr<Node> Create(RegRoot root, const Parts& parts);
  void DeleteKey(RegRoot root, Parts parts);
  void SetValue(RegRoot root, const Parts& parts, std::string_view name, RegType type,
                std::string_view data);
  void DeleteValue(RegRoot root, const Parts& parts, std::string_view name);

  std::shared_ptr<Node> local_machine_;
  std::shared_ptr<Node> current_user_;
  std::shared_ptr<Node> users_;
  std::string load_error_;
};

}  // namespace zeltrand
