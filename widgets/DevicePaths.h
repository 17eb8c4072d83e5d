#pragma once
// How the device browser reads paths: the device a path belongs to, and
// the device-table row of a device path.

#include "Velon/DeviceTable.h"

#include <string>

// Device kinds: the table's kinds, iButton devices (no table row) and
// PKCS#11 paths as a whole.
enum DeviceKind : int {
    deviceFileSystem = 0,
    deviceIButton = 1,
    deviceRuToken = 2,
    deviceEToken = 3,
    deviceRuTokenEcp = 4,
    deviceETokenGost = 5,
    deviceMsKey = 6,
    deviceSmartToken = 7,
    devicePkcs11 = 8,
};

// The file-system root the browser offers for the file-system row.
extern const wchar_t* const fileSystemRoot;

// The kind a name begins with, tested in order: "ibutton:" 1, "etoken" 3,
// "rutoken" 2, "pkcs11" 8; any other name 0. Case counts.
int deviceKindFromName(std::wstring name);

// A path of three characters or fewer (a drive root) is the file system
// (row 0); a longer one the first token row whose device path equals it
// exactly; otherwise null.
const DeviceEntry* findDeviceByPath(const std::string& path);

// Whether row points into the device table.
bool isDeviceRow(const DeviceEntry* row);

// The device part of a path: the text up to and including its first ":";
// for a PKCS#11 device ("pkcs11" before the ":") on to the end of the
// module name that follows ("eTPKCS11g", "rtPKCS11ECP", "mskey-pkcs11" or
// "smarttoken"). Empty when the path has no ":". A PKCS#11 path without a
// known module keeps the text up to the ":" and sets *unknownModule.
std::wstring devicePartOf(const std::wstring& path, bool* unknownModule = nullptr);
