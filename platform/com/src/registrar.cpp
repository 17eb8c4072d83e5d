#include <com/registrar.h>

#include <com/registry.h>
#include <com/resources.h>

#include <win32/kernel.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <vector>

#include <com/bstr.h>

namespace com {

namespace {

using registry::Root;
using registry::Value;

std::wstring upper(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return text;
}

struct SyntaxError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct UnknownReplacement : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::wstring replace(const std::wstring& script, const std::map<std::wstring, std::wstring>& replacements) {
  std::wstring result;
  for (std::size_t i = 0; i < script.size(); ++i) {
    if (script[i] != L'%') {
      result.push_back(script[i]);
      continue;
    }
    const std::size_t end = script.find(L'%', i + 1);
    if (end == std::wstring::npos) throw SyntaxError("unterminated replacement");
    if (end == i + 1) {
      result.push_back(L'%');
    } else {
      auto found = replacements.find(upper(script.substr(i + 1, end - i - 1)));
      if (found == replacements.end()) throw UnknownReplacement("unknown replacement");
      result += found->second;
    }
    i = end;
  }
  return result;
}

struct Token {
  enum class Kind { Word, Quoted, Open, Close, Equals } kind;
  std::wstring text;
};

std::vector<Token> tokenize(const std::wstring& text) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  auto isSpace = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
  while (i < text.size()) {
    const wchar_t c = text[i];
    if (isSpace(c)) {
      ++i;
    } else if (c == L'{' && (i + 1 >= text.size() || isSpace(text[i + 1]))) {
      // A brace followed by a name character starts a name ({CLSID} keys).
      tokens.push_back({Token::Kind::Open, L"{"});
      ++i;
    } else if (c == L'}') {
      tokens.push_back({Token::Kind::Close, L"}"});
      ++i;
    } else if (c == L'=') {
      tokens.push_back({Token::Kind::Equals, L"="});
      ++i;
    } else if (c == L'\'') {
      std::wstring quoted;
      ++i;
      for (;;) {
        if (i >= text.size()) throw SyntaxError("unterminated quote");
        if (text[i] == L'\'') {
          if (i + 1 < text.size() && text[i + 1] == L'\'') {
            quoted.push_back(L'\'');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        quoted.push_back(text[i++]);
      }
      tokens.push_back({Token::Kind::Quoted, quoted});
    } else {
      std::wstring word;
      while (i < text.size() && !isSpace(text[i]) && text[i] != L'=') word.push_back(text[i++]);
      tokens.push_back({Token::Kind::Word, word});
    }
  }
  return tokens;
}

enum class KeyFlag { Normal, NoRemove, ForceRemove, Delete };

struct KeyNode {
  KeyFlag flag = KeyFlag::Normal;
  std::wstring name;
  std::optional<Value> defaultValue;
  std::vector<std::pair<std::wstring, Value>> values;
  std::vector<KeyNode> children;
};

struct RootNode {
  Root root;
  std::vector<KeyNode> keys;
};

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : m_tokens(std::move(tokens)) {}

  std::vector<RootNode> script() {
    std::vector<RootNode> roots;
    while (!atEnd()) {
      const Token& name = next();
      std::optional<Root> root = registry::rootFromName(name.text);
      if (name.kind != Token::Kind::Word || !root) throw SyntaxError("unknown root key");
      RootNode node{*root, {}};
      expect(Token::Kind::Open);
      while (!peekIs(Token::Kind::Close)) node.keys.push_back(key());
      next();
      roots.push_back(std::move(node));
    }
    return roots;
  }

 private:
  bool atEnd() const { return m_pos >= m_tokens.size(); }
  const Token& next() {
    if (atEnd()) throw SyntaxError("unexpected end");
    return m_tokens[m_pos++];
  }
  bool peekIs(Token::Kind kind) const {
    if (atEnd()) throw SyntaxError("unexpected end");
    return m_tokens[m_pos].kind == kind;
  }
  void expect(Token::Kind kind) {
    if (next().kind != kind) throw SyntaxError("unexpected token");
  }
  std::wstring name() {
    const Token& token = next();
    if (token.kind != Token::Kind::Word && token.kind != Token::Kind::Quoted) throw SyntaxError("name expected");
    return token.text;
  }
  Value typedValue() {
    const std::wstring type = upper(name());
    const std::wstring text = name();
    if (type == L"S") return Value::string(text);
    if (type == L"D") {
      const std::string digits = toUtf8(text);
      char* end = nullptr;
      const unsigned long number = std::strtoul(digits.c_str(), &end, 0);
      if (digits.empty() || *end != '\0' || number > 0xFFFFFFFFul) throw SyntaxError("bad number");
      return Value::dword(static_cast<DWORD>(number));
    }
    throw SyntaxError("unsupported value type");
  }
  KeyNode key() {
    KeyNode node;
    std::wstring word = name();
    const std::wstring keyword = upper(word);
    if (m_tokens[m_pos - 1].kind == Token::Kind::Word) {
      if (keyword == L"NOREMOVE") node.flag = KeyFlag::NoRemove;
      else if (keyword == L"FORCEREMOVE") node.flag = KeyFlag::ForceRemove;
      else if (keyword == L"DELETE") node.flag = KeyFlag::Delete;
      if (node.flag != KeyFlag::Normal) word = name();
    }
    node.name = word;
    if (!atEnd() && peekIs(Token::Kind::Equals)) {
      next();
      node.defaultValue = typedValue();
    }
    if (!atEnd() && peekIs(Token::Kind::Open)) {
      next();
      while (!peekIs(Token::Kind::Close)) {
        const Token& ahead = m_tokens[m_pos];
        if (ahead.kind == Token::Kind::Word && upper(ahead.text) == L"VAL") {
          next();
          std::wstring valueName = name();
          expect(Token::Kind::Equals);
          node.values.emplace_back(std::move(valueName), typedValue());
        } else {
          node.children.push_back(key());
        }
      }
      next();
    }
    return node;
  }

  std::vector<Token> m_tokens;
  std::size_t m_pos = 0;
};

// Where one root of the script writes.
struct Base {
  Root root;
  std::wstring path;
};

std::wstring join(const std::wstring& parent, const std::wstring& name) {
  return parent.empty() ? name : parent + L"\\" + name;
}

void registerKey(const Base& base, const std::wstring& parent, const KeyNode& node) {
  const std::wstring path = join(parent, node.name);
  if (node.flag == KeyFlag::Delete) {
    registry::deleteTree(base.root, path);
    return;
  }
  if (node.flag == KeyFlag::ForceRemove) registry::deleteTree(base.root, path);
  registry::createKey(base.root, path);
  if (node.defaultValue) registry::setValue(base.root, path, L"", *node.defaultValue);
  for (const auto& value : node.values) registry::setValue(base.root, path, value.first, value.second);
  for (const KeyNode& child : node.children) registerKey(base, path, child);
}

void unregisterKey(const Base& base, const std::wstring& parent, const KeyNode& node) {
  const std::wstring path = join(parent, node.name);
  if (node.flag == KeyFlag::Delete || !registry::keyExists(base.root, path)) return;
  if (node.flag == KeyFlag::ForceRemove) {
    registry::deleteTree(base.root, path);
    return;
  }
  for (const KeyNode& child : node.children) unregisterKey(base, path, child);
  for (const auto& value : node.values) registry::deleteValue(base.root, path, value.first);
  if (node.flag == KeyFlag::NoRemove) return;
  if (!registry::subKeys(base.root, path).empty()) return;
  for (const std::wstring& name : registry::valueNames(base.root, path))
    if (!name.empty()) return;
  registry::deleteKey(base.root, path);
}

}  // namespace

void Registrar::addReplacement(const std::wstring& name, const std::wstring& value) {
  m_replacements[upper(name)] = value;
}

void Registrar::clearReplacements() { m_replacements.clear(); }

HRESULT Registrar::registerScript(const std::wstring& script) const { return apply(script, true); }

HRESULT Registrar::unregisterScript(const std::wstring& script) const { return apply(script, false); }

HRESULT Registrar::apply(const std::wstring& script, bool doRegister) const {
  std::vector<RootNode> roots;
  try {
    roots = Parser(tokenize(replace(script, m_replacements))).script();
  } catch (const UnknownReplacement&) {
    return E_INVALIDARG;
  } catch (const SyntaxError&) {
    return DISP_E_EXCEPTION;
  }
  for (const RootNode& root : roots) {
    // Concrete hives: the classes of the user or of the machine.
    Base base{root.root, L""};
    if (root.root == Root::ClassesRoot) base = {m_perUser ? Root::CurrentUser : Root::LocalMachine, L"Software\\Classes"};
    for (const KeyNode& key : root.keys) {
      if (doRegister)
        registerKey(base, base.path, key);
      else
        unregisterKey(base, base.path, key);
    }
  }
  return S_OK;
}

HRESULT Registrar::resourceRegister(HMODULE module, int id, bool doRegister) const {
  std::string data;
  if (!findResource(module, L"REGISTRY", id, &data)) return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
  return apply(fromUtf8(data), doRegister);
}

}  // namespace com
