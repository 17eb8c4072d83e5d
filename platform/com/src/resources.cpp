#include <com/resources.h>

#include <dlfcn.h>

#include <map>
#include <mutex>
#include <tuple>

namespace com {

namespace {

struct Key {
  HMODULE module;
  std::wstring type;
  int id;
  bool operator<(const Key& other) const {
    return std::tie(module, type, id) < std::tie(other.module, other.type, other.id);
  }
};

struct Table {
  std::mutex mutex;
  std::map<Key, std::string> resources;
  std::map<HMODULE, std::string> files;
};

Table& table() {
  static Table instance;
  return instance;
}

}  // namespace

HMODULE moduleOfAddress(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0) return nullptr;
  return static_cast<HMODULE>(info.dli_fbase);
}

std::string moduleFileName(HMODULE module) {
  {
    std::lock_guard<std::mutex> lock(table().mutex);
    auto found = table().files.find(module);
    if (found != table().files.end()) return found->second;
  }
  Dl_info info{};
  if (module && dladdr(module, &info) != 0 && info.dli_fname) return info.dli_fname;
  return std::string();
}

HMODULE moduleOfFile(const std::string& path) {
  {
    std::lock_guard<std::mutex> lock(table().mutex);
    for (const auto& entry : table().files)
      if (entry.second == path) return entry.first;
  }
  return nullptr;
}

void addResource(HMODULE module, const std::wstring& type, int id, std::string data) {
  std::lock_guard<std::mutex> lock(table().mutex);
  table().resources[Key{module, type, id}] = std::move(data);
  Dl_info info{};
  if (module && dladdr(module, &info) != 0 && info.dli_fname) table().files[module] = info.dli_fname;
}

bool findResource(HMODULE module, const std::wstring& type, int id, std::string* data) {
  std::lock_guard<std::mutex> lock(table().mutex);
  auto found = table().resources.find(Key{module, type, id});
  if (found == table().resources.end()) return false;
  if (data) *data = found->second;
  return true;
}

}  // namespace com
