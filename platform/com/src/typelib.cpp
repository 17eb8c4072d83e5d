#include <com/typelib.h>

#include <com/bstr.h>
#include <com/comptr.h>
#include <com/registry.h>
#include <com/resources.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <com/bstr.h>

namespace {

using com::registry::Root;
using com::registry::Value;

struct TypeEntry {
  std::wstring name;
  GUID guid = GUID_NULL;
  TYPEKIND kind = TKIND_INTERFACE;
  WORD flags = 0;
  std::wstring help;
  std::vector<std::wstring> implemented;  // base, or default and source interfaces
  std::vector<std::wstring> members;
};

struct LibraryData {
  std::wstring name;
  GUID guid = GUID_NULL;
  WORD major = 0;
  WORD minor = 0;
  LCID lcid = 0;
  std::wstring help;
  std::vector<TypeEntry> types;
};

// Splits a line into words, {guid} words and "quoted" texts (kept with their quote mark).
std::vector<std::wstring> words(const std::wstring& line) {
  std::vector<std::wstring> result;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == L' ' || line[i] == L'\t' || line[i] == L'\r') {
      ++i;
    } else if (line[i] == L'"') {
      const std::size_t end = line.find(L'"', i + 1);
      if (end == std::wstring::npos) throw std::runtime_error("unterminated text");
      result.push_back(line.substr(i, end - i));  // keeps the opening quote as a marker
      i = end + 1;
    } else {
      std::size_t end = i;
      while (end < line.size() && line[end] != L' ' && line[end] != L'\t' && line[end] != L'\r') ++end;
      result.push_back(line.substr(i, end - i));
      i = end;
    }
  }
  return result;
}

GUID guidWord(const std::vector<std::wstring>& w, std::size_t at) {
  GUID guid;
  if (at >= w.size() || !com::parseGuid(w[at], &guid)) throw std::runtime_error("GUID expected");
  return guid;
}

LibraryData parse(const std::wstring& text) {
  LibraryData lib;
  bool haveLibrary = false;
  std::wistringstream lines(text);
  std::wstring line;
  while (std::getline(lines, line)) {
    const std::size_t hash = line.find(L'#');
    if (hash != std::wstring::npos) line.erase(hash);
    const std::vector<std::wstring> w = words(line);
    if (w.empty()) continue;
    const std::wstring& kind = w[0];
    if (kind == L"importlib") continue;
    if (kind == L"member") {
      if (lib.types.empty() || w.size() < 2) throw std::runtime_error("member without type");
      lib.types.back().members.push_back(w[1]);
      continue;
    }
    if (w.size() < 3) throw std::runtime_error("short declaration");
    if (kind == L"library") {
      lib.name = w[1];
      lib.guid = guidWord(w, 2);
      for (std::size_t i = 3; i < w.size(); ++i) {
        if (w[i] == L"version" && i + 1 < w.size()) {
          unsigned major = 0, minor = 0;
          if (std::swscanf(w[++i].c_str(), L"%u.%u", &major, &minor) != 2) throw std::runtime_error("bad version");
          lib.major = static_cast<WORD>(major);
          lib.minor = static_cast<WORD>(minor);
        } else if (w[i] == L"lcid" && i + 1 < w.size()) {
          lib.lcid = static_cast<LCID>(std::wcstoul(w[++i].c_str(), nullptr, 0));
        } else if (w[i][0] == L'"') {
          lib.help = w[i].substr(1);
        }
      }
      haveLibrary = true;
      continue;
    }
    TypeEntry entry;
    entry.name = w[1];
    entry.guid = guidWord(w, 2);
    if (kind == L"interface") {
      entry.kind = TKIND_INTERFACE;
    } else if (kind == L"dispinterface") {
      entry.kind = TKIND_DISPATCH;
      entry.flags |= TYPEFLAG_FDISPATCHABLE;
    } else if (kind == L"coclass") {
      entry.kind = TKIND_COCLASS;
    } else {
      throw std::runtime_error("unknown declaration");
    }
    for (std::size_t i = 3; i < w.size(); ++i) {
      const std::wstring& word = w[i];
      if (word[0] == L'"') entry.help = word.substr(1);
      else if (word == L"dual") entry.flags |= TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE;
      else if (word == L"nonextensible") entry.flags |= TYPEFLAG_FNONEXTENSIBLE;
      else if (word == L"oleautomation") entry.flags |= TYPEFLAG_FOLEAUTOMATION;
      else if (word == L"creatable") entry.flags |= TYPEFLAG_FCANCREATE;
      else if (word == L"control") entry.flags |= TYPEFLAG_FCONTROL;
      else if ((word == L"base" || word == L"default" || word == L"source") && i + 1 < w.size())
        entry.implemented.push_back(w[++i]);
      else throw std::runtime_error("unknown attribute");
    }
    lib.types.push_back(std::move(entry));
  }
  if (!haveLibrary) throw std::runtime_error("no library declaration");
  return lib;
}

HRESULT fillDocumentation(const std::wstring& name, const std::wstring& doc, BSTR* nameOut, BSTR* docOut,
                          DWORD* helpContext, BSTR* helpFile) {
  if (nameOut && !(*nameOut = com::allocBstr(name))) return E_OUTOFMEMORY;
  if (docOut && !(*docOut = com::allocBstr(doc))) return E_OUTOFMEMORY;
  if (helpContext) *helpContext = 0;
  if (helpFile) *helpFile = nullptr;
  return S_OK;
}

class TypeLibrary;

class TypeInformation final : public com::RefCounted<ITypeInfo> {
 public:
  TypeInformation(TypeLibrary* lib, UINT index);
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return com::answerQuery(riid, object, this, {{IID_ITypeInfo, this}});
  }
  HRESULT GetTypeAttr(TYPEATTR** attr) override;
  void ReleaseTypeAttr(TYPEATTR* attr) override { delete attr; }
  HRESULT GetDocumentation(MEMBERID memid, BSTR* name, BSTR* docString, DWORD* helpContext, BSTR* helpFile) override;
  HRESULT GetContainingTypeLib(ITypeLib** lib, UINT* index) override;

 private:
  const TypeEntry& entry() const;
  com::ComPtr<TypeLibrary> m_lib;
  UINT m_index;
};

class TypeLibrary final : public com::RefCounted<ITypeLib> {
 public:
  explicit TypeLibrary(LibraryData data) : m_data(std::move(data)) {}
  const LibraryData& data() const { return m_data; }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    return com::answerQuery(riid, object, this, {{IID_ITypeLib, this}});
  }
  UINT GetTypeInfoCount() override { return static_cast<UINT>(m_data.types.size()); }
  HRESULT GetTypeInfo(UINT index, ITypeInfo** info) override {
    if (!info) return E_INVALIDARG;
    *info = nullptr;
    if (index >= m_data.types.size()) return TYPE_E_ELEMENTNOTFOUND;
    *info = new TypeInformation(this, index);
    return S_OK;
  }
  HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) override {
    if (!info) return E_INVALIDARG;
    *info = nullptr;
    for (UINT i = 0; i < m_data.types.size(); ++i)
      if (m_data.types[i].guid == guid) return GetTypeInfo(i, info);
    return TYPE_E_ELEMENTNOTFOUND;
  }
  HRESULT GetLibAttr(TLIBATTR** attr) override {
    if (!attr) return E_INVALIDARG;
    *attr = new TLIBATTR{m_data.guid, m_data.lcid, SYS_WIN64, m_data.major, m_data.minor, 0};
    return S_OK;
  }
  void ReleaseTLibAttr(TLIBATTR* attr) override { delete attr; }
  HRESULT GetDocumentation(INT index, BSTR* name, BSTR* docString, DWORD* helpContext, BSTR* helpFile) override {
    if (index == -1) return fillDocumentation(m_data.name, m_data.help, name, docString, helpContext, helpFile);
    if (index < 0 || static_cast<std::size_t>(index) >= m_data.types.size()) return TYPE_E_ELEMENTNOTFOUND;
    const TypeEntry& entry = m_data.types[static_cast<std::size_t>(index)];
    return fillDocumentation(entry.name, entry.help, name, docString, helpContext, helpFile);
  }

 private:
  LibraryData m_data;
};

TypeInformation::TypeInformation(TypeLibrary* lib, UINT index) : m_lib(lib), m_index(index) {}

const TypeEntry& TypeInformation::entry() const { return m_lib->data().types[m_index]; }

HRESULT TypeInformation::GetTypeAttr(TYPEATTR** attr) {
  if (!attr) return E_INVALIDARG;
  const TypeEntry& e = entry();
  *attr = new TYPEATTR{e.guid,
                       m_lib->data().lcid,
                       e.kind,
                       static_cast<WORD>(e.members.size()),
                       static_cast<WORD>(e.implemented.size()),
                       e.flags,
                       m_lib->data().major,
                       m_lib->data().minor};
  return S_OK;
}

HRESULT TypeInformation::GetDocumentation(MEMBERID memid, BSTR* name, BSTR* docString, DWORD* helpContext,
                                          BSTR* helpFile) {
  const TypeEntry& e = entry();
  if (memid == -1) return fillDocumentation(e.name, e.help, name, docString, helpContext, helpFile);
  if (memid < 0 || static_cast<std::size_t>(memid) >= e.members.size()) return TYPE_E_ELEMENTNOTFOUND;
  return fillDocumentation(e.members[static_cast<std::size_t>(memid)], L"", name, docString, helpContext, helpFile);
}

HRESULT TypeInformation::GetContainingTypeLib(ITypeLib** lib, UINT* index) {
  if (!lib) return E_INVALIDARG;
  m_lib->AddRef();
  *lib = m_lib.get();
  if (index) *index = m_index;
  return S_OK;
}

const wchar_t kClasses[] = L"Software\\Classes";
const wchar_t kDispatchProxy[] = L"{00020424-0000-0000-C000-000000000046}";

std::wstring versionText(WORD major, WORD minor) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%x.%x", major, minor);
  return text;
}

std::wstring hexText(LCID lcid) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%x", lcid);
  return text;
}

HRESULT registerLibrary(Root root, ITypeLib* lib, LPCOLESTR fullPath, LPCOLESTR helpDir) {
  auto* library = dynamic_cast<TypeLibrary*>(lib);
  if (!library || !fullPath) return E_INVALIDARG;
  const LibraryData& data = library->data();
  const std::wstring libid = com::guidText(data.guid);
  const std::wstring versionKey =
      std::wstring(kClasses) + L"\\TypeLib\\" + libid + L"\\" + versionText(data.major, data.minor);
  namespace reg = com::registry;
  reg::setValue(root, versionKey, L"", Value::string(data.help.empty() ? data.name : data.help));
  reg::setValue(root, versionKey + L"\\FLAGS", L"", Value::string(L"0"));
  reg::setValue(root, versionKey + L"\\HELPDIR", L"",
                Value::string(helpDir ? com::fromUtf16(std::u16string(helpDir)) : std::wstring()));
  reg::setValue(root, versionKey + L"\\" + hexText(data.lcid) + L"\\win64", L"",
                Value::string(com::fromUtf16(std::u16string(fullPath))));
  for (const TypeEntry& entry : data.types) {
    if (entry.kind == TKIND_COCLASS || !(entry.flags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE)))
      continue;
    const std::wstring key = std::wstring(kClasses) + L"\\Interface\\" + com::guidText(entry.guid);
    reg::setValue(root, key, L"", Value::string(entry.name));
    reg::setValue(root, key + L"\\ProxyStubClsid32", L"", Value::string(kDispatchProxy));
    reg::setValue(root, key + L"\\TypeLib", L"", Value::string(libid));
    reg::setValue(root, key + L"\\TypeLib", L"Version", Value::string(versionText(data.major, data.minor)));
  }
  return S_OK;
}

HRESULT unregisterLibrary(Root root, REFGUID libid, WORD major, WORD minor) {
  namespace reg = com::registry;
  const std::wstring libKey = std::wstring(kClasses) + L"\\TypeLib\\" + com::guidText(libid);
  const std::wstring version = versionText(major, minor);
  if (!reg::deleteTree(root, libKey + L"\\" + version)) return TYPE_E_REGISTRYACCESS;
  if (reg::subKeys(root, libKey).empty()) reg::deleteTree(root, libKey);
  const std::wstring interfaces = std::wstring(kClasses) + L"\\Interface";
  for (const std::wstring& iid : reg::subKeys(root, interfaces)) {
    const std::wstring key = interfaces + L"\\" + iid + L"\\TypeLib";
    const auto owner = reg::getValue(root, key, L"");
    const auto owned = reg::getValue(root, key, L"Version");
    if (owner && owner->text == com::guidText(libid) && owned && owned->text == version)
      reg::deleteTree(root, interfaces + L"\\" + iid);
  }
  if (reg::subKeys(root, interfaces).empty()) reg::deleteKey(root, interfaces);
  return S_OK;
}

}  // namespace

HRESULT LoadTypeLib(LPCOLESTR file, ITypeLib** lib) {
  if (!file || !lib) return E_INVALIDARG;
  *lib = nullptr;
  const std::string path = com::toUtf8(com::fromUtf16(std::u16string(file)));
  std::string text;
  const HMODULE module = com::moduleOfFile(path);
  if (!module || !com::findResource(module, L"TYPELIB", 1, &text)) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return TYPE_E_CANTLOADLIBRARY;
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
  }
  try {
    *lib = new TypeLibrary(parse(com::fromUtf8(text)));
  } catch (const std::runtime_error&) {
    return TYPE_E_INVALIDSTATE;
  }
  return S_OK;
}

HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, ITypeLib** lib) {
  if (!lib) return E_INVALIDARG;
  *lib = nullptr;
  const std::wstring base = L"TypeLib\\" + com::guidText(libid) + L"\\" + versionText(major, minor);
  auto path = com::registry::getValue(Root::ClassesRoot, base + L"\\" + hexText(lcid) + L"\\win64", L"");
  if (!path) path = com::registry::getValue(Root::ClassesRoot, base + L"\\0\\win64", L"");
  if (!path) return TYPE_E_LIBNOTREGISTERED;
  const std::u16string file = com::toUtf16(path->text);
  return LoadTypeLib(file.c_str(), lib);
}

HRESULT RegisterTypeLib(ITypeLib* lib, LPCOLESTR fullPath, LPCOLESTR helpDir) {
  return registerLibrary(Root::LocalMachine, lib, fullPath, helpDir);
}

HRESULT RegisterTypeLibForUser(ITypeLib* lib, LPCOLESTR fullPath, LPCOLESTR helpDir) {
  return registerLibrary(Root::CurrentUser, lib, fullPath, helpDir);
}

HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID, SYSKIND) {
  return unregisterLibrary(Root::LocalMachine, libid, major, minor);
}

HRESULT UnRegisterTypeLibForUser(REFGUID libid, WORD major, WORD minor, LCID, SYSKIND) {
  return unregisterLibrary(Root::CurrentUser, libid, major, minor);
}
