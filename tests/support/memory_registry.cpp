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

std::u16string OrderOf(std::string_view name) {
  std::u16string order;
  if (auto wide = utf16::FromCp932(name)) {
    order = std::move(*wide);
  } else {
    // Not code page 932: keep the bytes apart from real characters, in a
    // private-use range, so the name still sorts and matches consistently.
    for (const char b : name)
      order += static_cast<char16_t>(0xF700 + static_cast<unsigned char>(b));
  }
  for (char16_t& c : order) c = WineLower(c);
  return order;
}

// Splits at the backslashes that separate names; the second byte of a
// double-byte character such as 表 (95 5C) is part of its name.
std::optional<std::vector<std::string>> SplitPath(std::string_view path) {
  if (path.starts_with('\\')) return std::nullopt;
  std::vector<std::string> parts;
  std::string part;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (cp932::IsLeadByte(c) && i + 1 < path.size()) {
      part += path[i];
      part += path[++i];
    } else if (c == '\\') {
      if (!part.empty()) parts.push_back(std::move(part));
      part.clear();
    } else {
      part += path[i];
    }
  }
  if (!part.empty()) parts.push_back(std::move(part));
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

std::shared_ptr<Node> Child(const Node& node, std::string_view name) {
  const std::u16string order = OrderOf(name);
  auto it = LowerBound(node.subkeys, order, SubkeyOrder);
  if (it == node.subkeys.end() || (*it)->order != order) return nullptr;
  return *it;
}

std::shared_ptr<Node> ChildOrNew(Node& node, std::string_view name) {
  const std::u16string order = OrderOf(name);
  auto it = LowerBound(node.subkeys, order, SubkeyOrder);
  if (it != node.subkeys.end() && (*it)->order == order) return *it;
  auto child = std::make_shared<Node>();
  child->name = name;
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

bool IsSoftware(std::string_view name) {
  return OrderOf(name) == u"software";
}
bool IsWow6432Node(std::string_view name) {
  return OrderOf(name) == u"wow6432node";
}

}  // namespace

MemoryRegistry::MemoryRegistry()
    : local_machine_(std::make_shared<Node>()),
      current_user_(std::make_shared<Node>()),
      users_(std::make_shared<Node>()) {}

MemoryRegistry::~MemoryRegistry() = default;

std::shared_ptr<Node> MemoryRegistry::Find(RegRoot root, std::string_view path) const {
  auto parts = SplitPath(path);
  if (!parts) return nullptr;
  std::shared_ptr<Node> node = root == RegRoot::kLocalMachine  ? local_machine_
                               : root == RegRoot::kCurrentUser ? current_user_
                                                               : users_;
  for (const std::string& part : *parts) {
    node = Child(*node, part);
    if (!node) return nullptr;
  }
  return node;
}

std::shared_ptr<Node> MemoryRegistry::Create(RegRoot root, std::string_view path) {
  auto parts = SplitPath(path);
  std::shared_ptr<Node> node = root == RegRoot::kLocalMachine  ? local_machine_
                               : root == RegRoot::kCurrentUser ? current_user_
                                                               : users_;
  if (!parts) return node;
  for (const std::string& part : *parts) node = ChildOrNew(*node, part);
  return node;
}

std::unique_ptr<RegistryKey> MemoryRegistry::Open(RegRoot root, std::string_view path,
                                                  RegView view) {
  std::string redirected;
  if (view == RegView::k32Bit && root == RegRoot::kLocalMachine &&
      Find(root, "Software\\Wow6432Node")) {
    auto parts = SplitPath(path);
    if (parts && !parts->empty() && IsSoftware((*parts)[0]) &&
        (parts->size() == 1 || !IsWow6432Node((*parts)[1]))) {
      parts->insert(parts->begin() + 1, "Wow6432Node");
      for (const std::string& part : *parts) redirected += part + '\\';
      path = redirected;
    }
  }
  auto node = Find(root, path);
  if (!node) return nullptr;
  return std::make_unique<MemoryKey>(std::move(node));
}

void MemoryRegistry::AddKey(RegRoot root, std::string_view path) {
  Create(root, path);
}

void MemoryRegistry::SetValue(RegRoot root, std::string_view path, std::string_view name,
                              RegType type, std::string_view data) {
  Node& node = *Create(root, path);
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
  auto parts = SplitPath(path);
  if (!parts || parts->empty()) return;  // a root cannot be deleted
  const std::string leaf = parts->back();
  parts->pop_back();
  std::string parent_path;
  for (const std::string& part : *parts) parent_path += part + '\\';
  auto parent = Find(root, parent_path);
  if (!parent) return;
  const std::u16string order = OrderOf(leaf);
  auto it = LowerBound(parent->subkeys, order, SubkeyOrder);
  if (it != parent->subkeys.end() && (*it)->order == order) parent->subkeys.erase(it);
}

void MemoryRegistry::DeleteValue(RegRoot root, std::string_view path, std::string_view name) {
  auto node = Find(root, path);
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
    switch (edit.kind) {
      case reg_file::Edit::Kind::kAddKey:
        AddKey(edit.root, edit.path);
        break;
      case reg_file::Edit::Kind::kDeleteKey:
        DeleteKey(edit.root, edit.path);
        break;
      case reg_file::Edit::Kind::kSetValue:
        SetValue(edit.root, edit.path, edit.name, edit.type, edit.data);
        break;
      case reg_file::Edit::Kind::kDeleteValue:
        DeleteValue(edit.root, edit.path, edit.name);
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
