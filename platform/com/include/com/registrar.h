// The registrar: applies registry scripts to the registry (com/registry.h).
//
// Grammar (whitespace and line ends separate tokens, so a brace opens or closes a block only
// when whitespace follows it and {GUID} is a name; '...' quotes a token, '' inside it is a quote; %NAME% is replaced by the replacement of that name (any case) before anything else,
// %% by %):
//   script := root*
//   root   := ROOTNAME '{' key* '}'            ROOTNAME: HKCR HKCU HKLM and the long forms
//   key    := [NoRemove | ForceRemove | Delete] NAME ['=' TYPE VALUE] ['{' (key | value)* '}']
//   value  := 'val' NAME '=' TYPE VALUE
//   TYPE   := 's' (text) | 'd' (a DWORD, decimal or 0x hex)
// Registering creates the keys and sets the values; ForceRemove keys are deleted with their
// subkeys first, Delete keys are deleted. Unregistering deletes ForceRemove keys with everything
// below, leaves NoRemove keys (and Delete keys) in place, deletes the named values the script
// declares, and deletes any other key that is then empty (no subkeys, no named values).
#pragma once

#include <com/hresult.h>

#include <map>
#include <string>

namespace com {

class Registrar {
 public:
  void addReplacement(const std::wstring& name, const std::wstring& value);
  void clearReplacements();
  // HKCR keys go to HKEY_CURRENT_USER\Software\Classes.
  void setPerUser(bool perUser) { m_perUser = perUser; }

  // DISP_E_EXCEPTION for a script that does not parse (nothing is written then), E_INVALIDARG
  // for an unknown replacement name.
  HRESULT registerScript(const std::wstring& script) const;
  HRESULT unregisterScript(const std::wstring& script) const;
  // The script is the module's REGISTRY resource of that id, read as UTF-8
  // (HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND) when there is none).
  HRESULT resourceRegister(HMODULE module, int id, bool doRegister) const;

 private:
  HRESULT apply(const std::wstring& script, bool doRegister) const;

  std::map<std::wstring, std::wstring> m_replacements;  // keyed by upper-case name
  bool m_perUser = false;
};

}  // namespace com
