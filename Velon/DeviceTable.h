#pragma once
// The places where keys and certificates can live: the file system and ten
// slots of each of six kinds of hardware token. Built once while the library
// loads and never changed; the device paths are the texts the page receives
// and hands back, so their content and order are fixed.

#include <cstdint>
#include <vector>

struct DeviceEntry {
    // 0 file system, 2 ruToken, 3 eToken, 4 ruToken ECP, 5 eToken GOST,
    // 6 MS Key, 7 SmartToken; the same for the ten slots of one kind.
    std::int32_t kind;
    // Picture in the device list's image list: 0 ruToken, 1 ruToken ECP,
    // 2 eToken, 3 eToken GOST, 4 MS Key, 5 SmartToken, 6 file system.
    std::int32_t imageIndex;
    // Static constants of the program; a row does not own them.
    const wchar_t* displayName;
    const char* devicePath;
};

// Row 0 the file system; rows 1 to 60 the groups eToken, ruToken,
// eToken GOST, ruToken ECP, MS Key and SmartToken, ten slots each: slot N
// of group g is row 1 + 10 * (g - 1) + N.
extern const std::vector<DeviceEntry> deviceTable;
