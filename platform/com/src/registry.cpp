#include <com/registry.h>

#include <com/bstr.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

namespace com {
namespace registry {

namespace {

std::wstring folded(const std::wstring& text) {
  std::wstring result(text);
  for (wchar_t& c : result)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return result;
}

struct Node {
  std::wstring name;
  std::map<std::wstring, std::unique_ptr<Node>> children;            // by folded name
  std::map<std::wstring, std::pair<std::wstring, Value>> values;     // by folded name
};

struct Store {
  std::mutex mutex;
  Node machine;
  Node user;
};

Store& store() {
  static Store instance;
  return instance;
}

std::vector<std::wstring> split(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::wstring part;
  for (wchar_t c : path) {
    if (c == L'\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// A place in one hive.
struct Location {
  Node* hive;
  std::vector<std::wstring> parts;
};

const wchar_t* const kClasses[] = {L"Software", L"Classes"};

Location locate(Root root, const std::wstring& path, bool userClasses) {
  Store& s = store();
  Location location{nullptr, {}};
  if (root == Root::ClassesRoot) {
    location.hive = userClasses ? &s.user : &s.machine;
    location.parts.assign(std::begin(kClasses), std::end(kClasses));
  } else {
    location.hive = root == Root::CurrentUser ? &s.user : &s.machine;
  }
  for (std::wstring& part : split(path)) location.parts.push_back(std::move(part));
  return location;
}

Node* find(const Location& location) {
  Node* node = location.hive;
  for (const std::wstring& part : location.parts) {
    auto found = node->children.find(folded(part));
    if (found == node->children.end()) return nullptr;
    node = found->second.get();
  }
  return node;
}

// The key a read sees: for the classes view the user's key when it exists, else the machine's.
Node* findForRead(Root root, const std::wstring& path) {
  if (root == Root::ClassesRoot) {
    if (Node* node = find(locate(root, path, true))) return node;
  }
  return find(locate(root, path, false));
}

Node* make(const Location& location) {
  Node* node = location.hive;
  for (const std::wstring& part : location.parts) {
    std::unique_ptr<Node>& child = node->children[folded(part)];
    if (!child) {
      child = std::make_unique<Node>();
      child->name = part;
    }
    node = child.get();
  }
  return node;
}

bool erase(const Location& location, bool tree) {
  if (location.parts.empty()) return false;
  Location parent{location.hive, {location.parts.begin(), location.parts.end() - 1}};
  Node* up = find(parent);
  if (!up) return false;
  auto found = up->children.find(folded(location.parts.back()));
  if (found == up->children.end()) return false;
  if (!tree && !found->second->children.empty()) return false;
  up->children.erase(found);
  return true;
}

std::string narrow(const std::wstring& text) { return toUtf8(text); }

void dumpNode(const Node& node, const std::string& path, std::vector<std::string>& lines) {
  if (node.values.empty() && node.children.empty()) lines.push_back(path + "\\");
  for (const auto& entry : node.values) {
    const std::wstring& name = entry.second.first;
    const Value& value = entry.second.second;
    std::string line = path + "\\" + (name.empty() ? std::string("@") : narrow(name)) + " = ";
    if (value.type == Value::Type::Dword)
      line += "dword:" + std::to_string(value.number);
    else
      line += "\"" + narrow(value.text) + "\"";
    lines.push_back(line);
  }
  for (const auto& child : node.children) dumpNode(*child.second, path + "\\" + narrow(child.second->name), lines);
}

}  // namespace

Value Value::string(std::wstring text) {
  Value value;
  value.type = Type::String;
  value.text = std::move(text);
  return value;
}

Value Value::dword(DWORD number) {
  Value value;
  value.type = Type::Dword;
  value.number = number;
  return value;
}

bool Value::operator==(const Value& other) const {
  return type == other.type && (type == Type::Dword ? number == other.number : text == other.text);
}

std::optional<Root> rootFromName(const std::wstring& name) {
  const std::wstring key = folded(name);
  if (key == L"hkcr" || key == L"hkey_classes_root") return Root::ClassesRoot;
  if (key == L"hkcu" || key == L"hkey_current_user") return Root::CurrentUser;
  if (key == L"hklm" || key == L"hkey_local_machine") return Root::LocalMachine;
  return std::nullopt;
}

bool keyExists(Root root, const std::wstring& path) {
  std::lock_guard<std::mutex> lock(store().mutex);
  return findForRead(root, path) != nullptr;
}

void createKey(Root root, const std::wstring& path) {
  std::lock_guard<std::mutex> lock(store().mutex);
  make(locate(root, path, false));
}

void setValue(Root root, const std::wstring& path, const std::wstring& name, const Value& value) {
  std::lock_guard<std::mutex> lock(store().mutex);
  Node* node = make(locate(root, path, false));
  node->values[folded(name)] = {name, value};
}

std::optional<Value> getValue(Root root, const std::wstring& path, const std::wstring& name) {
  std::lock_guard<std::mutex> lock(store().mutex);
  Node* node = findForRead(root, path);
  if (!node) return std::nullopt;
  auto found = node->values.find(folded(name));
  if (found == node->values.end()) return std::nullopt;
  return found->second.second;
}

bool deleteValue(Root root, const std::wstring& path, const std::wstring& name) {
  std::lock_guard<std::mutex> lock(store().mutex);
  Node* node = find(locate(root, path, false));
  return node && node->values.erase(folded(name)) > 0;
}

std::vector<std::wstring> subKeys(Root root, const std::wstring& path) {
  std::lock_guard<std::mutex> lock(store().mutex);
  std::vector<std::wstring> names;
  if (Node* node = findForRead(root, path))
    for (const auto& child : node->children) names.push_back(child.second->name);
  return names;
}

std::vector<std::wstring> valueNames(Root root, const std::wstring& path) {
  std::lock_guard<std::mutex> lock(store().mutex);
  std::vector<std::wstring> names;
  if (Node* node = findForRead(root, path))
    for (const auto& value : node->values) names.push_back(value.second.first);
  return names;
}

bool deleteKey(Root root, const std::wstring& path) {
  std::lock_guard<std::mutex> lock(store().mutex);
  return erase(locate(root, path, false), false);
}

bool deleteTree(Root root, const std::wstring& path) {
  std::lock_guard<std::mutex> lock(store().mutex);
  return erase(locate(root, path, false), true);
}

std::vector<std::string> dump() {
  std::lock_guard<std::mutex> lock(store().mutex);
  std::vector<std::string> lines;
  for (const auto& child : store().user.children) dumpNode(*child.second, "HKCU\\" + narrow(child.second->name), lines);
  for (const auto& child : store().machine.children)
    dumpNode(*child.second, "HKLM\\" + narrow(child.second->name), lines);
  return lines;
}

std::vector<std::string> dump(const std::string& prefix) {
  std::vector<std::string> lines;
  const std::wstring wanted = folded(std::wstring(prefix.begin(), prefix.end()));
  for (std::string& line : dump()) {
    const std::wstring start = folded(std::wstring(line.begin(), line.begin() + std::min(line.size(), prefix.size())));
    if (start == wanted) lines.push_back(std::move(line));
  }
  return lines;
}

void clear() {
  std::lock_guard<std::mutex> lock(store().mutex);
  store().machine.children.clear();
  store().machine.values.clear();
  store().user.children.clear();
  store().user.values.clear();
}

}  // namespace registry
}  // namespace com
