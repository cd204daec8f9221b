#include "support/memory_registry.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "core/cp932.h"
#include "support/reg_file.h"
#include "support/utf16.h"

namespace zeltrand {

struct MemoryRegistry::Node {
  struct Value {
    std::string name;
    std::u16string order;
    RegType type = RegType::kNone;
    std::string data;
  };
  std::string name;
  std::u16string order;
  std::vector<std::shared_ptr<Node>> subkeys;  // sorted by `order`
  std::vector<Value> values;                   // sorted by `order`
};

namespace {

using Node = MemoryRegistry::Node;

// Lower-cases the letters code page 932 can spell, as the Wine server does
// before it compares two names.
char16_t WineLower(char16_t c) {
  const auto shift = [c](int by) { return static_cast<char16_t>(c + by); };
  if (c >= u'A' && c <= u'Z') return shift(0x20);
  if (c >= u'Ａ' && c <= u'Ｚ') return shift(0x20);
  if (c >= u'Α' && c <= u'Ω' && c != 0x03A2) return shift(0x20);
  if (c >= u'А' && c <= u'Я') return shift(0x20);
  if (c == u'Ё') return u'ё';
  if (c >= u'Ⅰ' && c <= u'Ⅿ') return shift(0x10);
  return c;
}

// A code page 932 name as the system holds it.
std::u16string WideOf(std::string_view name) {
  if (auto wide = utf16::FromCp932(name)) return std::move(*wide);
  // Not code page 932: keep the bytes apart from real characters, in a
  // private-use range, so the name still sorts and matches consistently.
  std::u16string wide;
  for (const char b : name) wide += static_cast<char16_t>(0xF700 + static_cast<unsigned char>(b));
  return wide;
}

// The name the ANSI calls report for `wide`.
std::string NarrowOf(std::u16string_view wide) {
  std::string bytes;
  for (const char16_t c : wide) {
    if (c < 0xF700 || c > 0xF7FF) return utf16::ToCp932(wide);
    bytes += static_cast<char>(c - 0xF700);
  }
  return bytes;
}

std::u16string Lowered(std::u16string name) {
  for (char16_t& c : name) c = WineLower(c);
  return name;
}

std::u16string OrderOf(std::string_view name) {
  return Lowered(WideOf(name));
}

// Splits at the backslashes that separate names; the second byte of a
// double-byte character such as 表 (95 5C) is part of its name.
std::optional<std::vector<std::u16string>> SplitPath(std::string_view path) {
  if (path.starts_with('\\')) return std::nullopt;
  std::vector<std::u16string> parts;
  std::string part;
  const auto flush = [&] {
    if (!part.empty()) parts.push_back(WideOf(part));
    part.clear();
  };
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (cp932::IsLeadByte(c) && i + 1 < path.size()) {
      part += path[i];
      part += path[++i];
    } else if (c == '\\') {
      flush();
    } else {
      part += path[i];
    }
  }
  flush();
  return parts;
}

std::vector<std::u16string> SplitWidePath(std::u16string_view path) {
  std::vector<std::u16string> parts;
  while (!path.empty()) {
    const std::size_t cut = std::min(path.find(u'\\'), path.size());
    if (cut > 0) parts.emplace_back(path.substr(0, cut));
    path.remove_prefix(std::min(cut + 1, path.size()));
  }
  return parts;
}

template <typename Items, typename OrderOfItem>
auto LowerBound(Items& items, const std::u16string& order, OrderOfItem order_of) {
  return std::lower_bound(items.begin(), items.end(), order,
                          [&](const auto& item, const auto& o) { return order_of(item) < o; });
}

const std::u16string& SubkeyOrder(const std::shared_ptr<Node>& node) {
  return node->order;
}
const std::u16string& ValueOrder(const Node::Value& value) {
  return value.order;
}

std::shared_ptr<Node> Child(const Node& node, const std::u16string& name) {
  const std::u16string order = Lowered(name);
  auto it = LowerBound(node.subkeys, order, SubkeyOrder);
  if (it == node.subkeys.end() || (*it)->order != order) return nullptr;
  return *it;
}

std::shared_ptr<Node> ChildOrNew(Node& node, const std::u16string& name) {
  const std::u16string order = Lowered(name);
  auto it = LowerBound(node.subkeys, order, SubkeyOrder);
  if (it != node.subkeys.end() && (*it)->order == order) return *it;
  auto child = std::make_shared<Node>();
  child->name = NarrowOf(name);
  child->order = order;
  node.subkeys.insert(it, child);
  return child;
}

const Node::Value* FindValue(const Node& node, std::string_view name) {
  const std::u16string order = OrderOf(name);
  auto it = LowerBound(node.values, order, ValueOrder);
  if (it == node.values.end() || it->order != order) return nullptr;
  return &*it;
}

class MemoryKey : public RegistryKey {
 public:
  explicit MemoryKey(std::shared_ptr<Node> node) : node_(std::move(node)) {}

  std::unique_ptr<RegistryKey> Open(std::string_view path) override {
    auto parts = SplitPath(path);
    if (!parts) return nullptr;
    std::shared_ptr<Node> node = node_;
    for (const std::u16string& part : *parts) {
      node = Child(*node, part);
      if (!node) return nullptr;
    }
    return std::make_unique<MemoryKey>(std::move(node));
  }

  std::optional<std::string> SubkeyName(std::uint32_t index) override {
    if (index >= node_->subkeys.size()) return std::nullopt;
    return node_->subkeys[index]->name;
  }

  std::optional<RegSubkey> Subkey(std::uint32_t index) override {
    if (index >= node_->subkeys.size()) return std::nullopt;
    const std::shared_ptr<Node>& child = node_->subkeys[index];
    return RegSubkey{child->name, std::make_unique<MemoryKey>(child)};
  }

  std::optional<RegValue> Value(std::uint32_t index, std::size_t max_size) override {
    if (index >= node_->values.size()) return std::nullopt;
    return RegValue{node_->values[index].name, Read(node_->values[index], max_size)};
  }

  std::optional<std::string> ValueName(std::uint32_t index) override {
    if (index >= node_->values.size()) return std::nullopt;
    return node_->values[index].name;
  }

  RegQuery Query(std::string_view name, std::size_t max_size) override {
    const Node::Value* value = FindValue(*node_, name);
    if (!value) return {};
    return Read(*value, max_size);
  }

 private:
  static RegQuery Read(const Node::Value& value, std::size_t max_size) {
    RegQuery result;
    result.type = value.type;
    result.size = value.data.size();
    if (result.size > max_size) {
      result.status = RegStatus::kTooLarge;
    } else {
      result.status = RegStatus::kOk;
      result.data = value.data;
    }
    return result;
  }

  // Shared, so a key deleted while open stays readable, much as an open
  // handle to a deleted key does not crash its holder.
  std::shared_ptr<Node> node_;
};

bool IsSoftware(const std::u16string& name) {
  return Lowered(name) == u"software";
}
bool IsWow6432Node(const std::u16string& name) {
  return Lowered(name) == u"wow6432node";
}

}  // namespace

MemoryRegistry::MemoryRegistry()
    : local_machine_(std::make_shared<Node>()),
      current_user_(std::make_shared<Node>()),
      users_(std::make_shared<Node>()) {}

MemoryRegistry::~MemoryRegistry() = default;

std::shared_ptr<Node> MemoryRegistry::RootNode(RegRoot root) const {
  return root == RegRoot::kLocalMachine  ? local_machine_
         : root == RegRoot::kCurrentUser ? current_user_
                                         : users_;
}

std::shared_ptr<Node> MemoryRegistry::Find(RegRoot root, const Parts& parts) const {
  std::shared_ptr<Node> node = RootNode(root);
  for (const std::u16string& part : parts) {
    node = Child(*node, part);
    if (!node) return nullptr;
  }
  return node;
}

std::shared_ptr<Node> MemoryRegistry::Create(RegRoot root, const Parts& parts) {
  std::shared_ptr<Node> node = RootNode(root);
  for (const std::u16string& part : parts) node = ChildOrNew(*node, part);
  return node;
}

std::unique_ptr<RegistryKey> MemoryRegistry::Open(RegRoot root, std::string_view path,
                                                  RegView view) {
  auto parts = SplitPath(path);
  if (!parts) return nullptr;
  if (view == RegView::k32Bit && root == RegRoot::kLocalMachine &&
      Find(root, {u"Software", u"Wow6432Node"}) && !parts->empty() && IsSoftware((*parts)[0]) &&
      (parts->size() == 1 || !IsWow6432Node((*parts)[1]))) {
    parts->insert(parts->begin() + 1, u"Wow6432Node");
  }
  auto node = Find(root, *parts);
  if (!node) return nullptr;
  return std::make_unique<MemoryKey>(std::move(node));
}

void MemoryRegistry::AddKey(RegRoot root, std::string_view path) {
  if (auto parts = SplitPath(path)) Create(root, *parts);
}

void MemoryRegistry::SetValue(RegRoot root, std::string_view path, std::string_view name,
                              RegType type, std::string_view data) {
  SetValue(root, SplitPath(path).value_or(Parts{}), name, type, data);
}

void MemoryRegistry::SetValue(RegRoot root, const Parts& parts, std::string_view name, RegType type,
                              std::string_view data) {
  Node& node = *Create(root, parts);
  const std::u16string order = OrderOf(name);
  auto it = LowerBound(node.values, order, ValueOrder);
  if (it == node.values.end() || it->order != order) {
    it = node.values.insert(it, Node::Value{std::string(name), order, type, {}});
  }
  it->type = type;
  it->data = data;
}

void MemoryRegistry::SetString(RegRoot root, std::string_view path, std::string_view name,
                               std::string_view text) {
  std::string data(text);
  data += '\0';
  SetValue(root, path, name, RegType::kString, data);
}

void MemoryRegistry::SetDword(RegRoot root, std::string_view path, std::string_view name,
                              std::uint32_t value) {
  std::string data;
  for (int i = 0; i < 4; ++i) data += static_cast<char>((value >> (8 * i)) & 0xFF);
  SetValue(root, path, name, RegType::kDword, data);
}

void MemoryRegistry::DeleteKey(RegRoot root, std::string_view path) {
  DeleteKey(root, SplitPath(path).value_or(Parts{}));
}

void MemoryRegistry::DeleteKey(RegRoot root, Parts parts) {
  if (parts.empty()) return;  // a root cannot be deleted
  const std::u16string order = Lowered(parts.back());
  parts.pop_back();
  auto parent = Find(root, parts);
  if (!parent) return;
  auto it = LowerBound(parent->subkeys, order, SubkeyOrder);
  if (it != parent->subkeys.end() && (*it)->order == order) parent->subkeys.erase(it);
}

void MemoryRegistry::DeleteValue(RegRoot root, std::string_view path, std::string_view name) {
  if (auto parts = SplitPath(path)) DeleteValue(root, *parts, name);
}

void MemoryRegistry::DeleteValue(RegRoot root, const Parts& parts, std::string_view name) {
  auto node = Find(root, parts);
  if (!node) return;
  const std::u16string order = OrderOf(name);
  auto it = LowerBound(node->values, order, ValueOrder);
  if (it != node->values.end() && it->order == order) node->values.erase(it);
}

bool MemoryRegistry::LoadRegText(std::string_view file_bytes) {
  reg_file::ParseResult parsed = reg_file::Parse(file_bytes);
  load_error_ = parsed.error;
  if (!parsed.ok()) return false;
  for (const reg_file::Edit& edit : parsed.edits) {
    const Parts parts = SplitWidePath(edit.wide_path);
    switch (edit.kind) {
      case reg_file::Edit::Kind::kAddKey:
        Create(edit.root, parts);
        break;
      case reg_file::Edit::Kind::kDeleteKey:
        DeleteKey(edit.root, parts);
        break;
      case reg_file::Edit::Kind::kSetValue:
        SetValue(edit.root, parts, edit.name, edit.type, edit.data);
        break;
      case reg_file::Edit::Kind::kDeleteValue:
        DeleteValue(edit.root, parts, edit.name);
        break;
    }
  }
  return true;
}

bool MemoryRegistry::LoadRegFile(const std::string& file_path) {
  std::FILE* file = std::fopen(file_path.c_str(), "rb");
  if (!file) {
    load_error_ = "cannot open " + file_path;
    return false;
  }
  std::string bytes;
  std::vector<char> chunk(4096);
  std::size_t got = 0;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0)
    bytes.append(chunk.data(), got);
  std::fclose(file);
  if (!LoadRegText(bytes)) {
    load_error_ = file_path + ": " + load_error_;
    return false;
  }
  return true;
}

}  // namespace zeltrand
