#include <com/libraries.h>

#include <com/typelib.h>

#include <win32/kernel.h>

#include <mutex>
#include <set>

namespace {

// The one library known by name; its handle is the address of this marker.
const char kOleAut32[] = "OLEAUT32.DLL";

std::mutex g_mutex;
std::set<std::string>& hidden() {
  static std::set<std::string> names;
  return names;
}

bool isOleAut32(LPCWSTR name) {
  if (!name) return false;
  std::size_t i = 0;
  for (; name[i] && kOleAut32[i]; ++i) {
    wchar_t c = name[i];
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    if (c != static_cast<wchar_t>(kOleAut32[i])) return false;
  }
  return name[i] == 0 && kOleAut32[i] == 0;
}

HMODULE oleAut32Handle() { return reinterpret_cast<HMODULE>(const_cast<char*>(kOleAut32)); }

}  // namespace

namespace com {
void hideExportForTesting(const std::string& name, bool hide) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (hide)
    hidden().insert(name);
  else
    hidden().erase(name);
}
}  // namespace com

HMODULE LoadLibraryW(LPCWSTR name) {
  if (isOleAut32(name)) return oleAut32Handle();
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) { return module == oleAut32Handle() ? TRUE : FALSE; }

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  if (module != oleAut32Handle() || !name) return nullptr;
  const std::string wanted(name);
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (hidden().count(wanted)) return nullptr;
  }
  if (wanted == "RegisterTypeLibForUser") return reinterpret_cast<FARPROC>(&RegisterTypeLibForUser);
  if (wanted == "UnRegisterTypeLibForUser") return reinterpret_cast<FARPROC>(&UnRegisterTypeLibForUser);
  if (wanted == "RegisterTypeLib") return reinterpret_cast<FARPROC>(&RegisterTypeLib);
  if (wanted == "UnRegisterTypeLib") return reinterpret_cast<FARPROC>(&UnRegisterTypeLib);
  if (wanted == "LoadTypeLib") return reinterpret_cast<FARPROC>(&LoadTypeLib);
  return nullptr;
}
