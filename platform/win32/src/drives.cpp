// Drive roots and their types, from the desktop's settings.
#include <win32/desktop.h>
#include <win32/kernel.h>

#include <algorithm>
#include <string>

DWORD GetLogicalDriveStringsW(DWORD bufferLength, LPWSTR buffer) {
  std::wstring list;
  for (const auto& drive : win32::desktop::settings().drives) {
    list += drive.root;
    list += L'\0';
  }
  DWORD needed = static_cast<DWORD>(list.size()) + 1;
  if (!buffer || bufferLength < needed) return needed;
  std::copy(list.begin(), list.end(), buffer);
  buffer[list.size()] = L'\0';
  return static_cast<DWORD>(list.size());
}

UINT GetDriveTypeW(LPCWSTR rootPath) {
  std::wstring root = rootPath ? rootPath : L"/";
  for (const auto& drive : win32::desktop::settings().drives)
    if (drive.root == root) return drive.type;
  return DRIVE_NO_ROOT_DIR;
}
