#pragma once
// The COM entry points of the module. The plug-in module links the adapter
// as a whole archive, so that these are exported.

#include <com/unknown.h>

extern "C" {
HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);
HRESULT DllCanUnloadNow();
HRESULT DllRegisterServer();
HRESULT DllUnregisterServer();
// cmdLine "user" (any case) registers for the current user.
HRESULT DllInstall(BOOL install, LPCWSTR cmdLine);
}
