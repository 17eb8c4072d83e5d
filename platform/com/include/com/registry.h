// The registry: one process-wide tree of keys in memory, with the hives HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER, and HKEY_CLASSES_ROOT as the view the platform gives: reads find
// HKEY_CURRENT_USER\Software\Classes first, then HKEY_LOCAL_MACHINE\Software\Classes; writes go to
// the machine's classes. Key and value names compare without regard to ASCII case and keep the
// case they were made with. Paths separate keys with '\'. The default value of a key has the empty
// name. Tests inspect it through dump().
#pragma once

#include <win32/types.h>

#include <optional>
#include <string>
#include <vector>

namespace com {
namespace registry {

enum class Root { ClassesRoot, CurrentUser, LocalMachine };

struct Value {
  enum class Type { String, Dword };
  Type type = Type::String;
  std::wstring text;
  DWORD number = 0;

  static Value string(std::wstring text);
  static Value dword(DWORD number);
  bool operator==(const Value& other) const;
};

// "HKCR", "HKCU", "HKLM" and the long forms ("HKEY_CLASSES_ROOT"...), any case.
std::optional<Root> rootFromName(const std::wstring& name);

bool keyExists(Root root, const std::wstring& path);
// Creates the key and every missing key above it.
void createKey(Root root, const std::wstring& path);
// Creates the key as createKey does.
void setValue(Root root, const std::wstring& path, const std::wstring& name, const Value& value);
std::optional<Value> getValue(Root root, const std::wstring& path, const std::wstring& name);
bool deleteValue(Root root, const std::wstring& path, const std::wstring& name);
// The names of the subkeys and of the values (the default value as the empty name), sorted.
std::vector<std::wstring> subKeys(Root root, const std::wstring& path);
std::vector<std::wstring> valueNames(Root root, const std::wstring& path);
// Deletes a key without subkeys; false when it is missing or has some.
bool deleteKey(Root root, const std::wstring& path);
// Deletes a key with everything below it; false when it is missing.
bool deleteTree(Root root, const std::wstring& path);

// One line per value, sorted by key path: HKLM\Software\Classes\X\@ = "text" for the default
// value, ...\X\Name = "text" or ...\X\Name = dword:17; keys without values as HKCU\...\Key\.
std::vector<std::string> dump();
// Lines of dump() whose key path starts with the prefix (case-insensitive).
std::vector<std::string> dump(const std::string& prefix);
void clear();

}  // namespace registry
}  // namespace com
