#include "Velon/DeviceTable.h"

// One slot: the slot digit replaces the 0 of the slot-0 form in both texts.
#define VELON_DEVICE_SLOT(kind, image, name, head, tail, n) \
    DeviceEntry{kind, image, L"" name " (slot " #n ")", head #n tail}

#define VELON_DEVICE_GROUP(kind, image, name, head, tail)                                       \
    VELON_DEVICE_SLOT(kind, image, name, head, tail, 0),                                        \
        VELON_DEVICE_SLOT(kind, image, name, head, tail, 1),                                    \
        VELON_DEVICE_SLOT(kind, image, name, head, tail, 2),                                    \
        VELON_DEVICE_SLOT(kind, image, name, head, tail, 3),                                    \
        VELON_DEVICE_SLOT(kind, image, name, head, tail, 4),                                    \
        VELON_DEVICE_SLOT(kind, image, name, head, tail, 5),                                    \
        VELON_DEVICE_SLOT(kind, image, name, head, tail, 6),                                    \
        VELON_DEVICE_SLOT(kind, image, name, head, tail, 7),                                    \
        VELON_DEVICE_SLOT(kind, image, name, head, tail, 8),                                    \
        VELON_DEVICE_SLOT(kind, image, name, head, tail, 9)

const std::vector<DeviceEntry> deviceTable = {
    DeviceEntry{0, 6, L"File system", "file system:"},
    VELON_DEVICE_GROUP(3, 2, "eToken", "etoken", ":"),
    VELON_DEVICE_GROUP(2, 0, "ruToken", "rutoken", ":"),
    VELON_DEVICE_GROUP(5, 3, "eToken GOST", "pkcs11", ":\\eTPKCS11g"),
    VELON_DEVICE_GROUP(4, 1, "ruToken ECP", "pkcs11", ":\\rtPKCS11ECP"),
    VELON_DEVICE_GROUP(6, 4, "MS Key", "pkcs11", ":\\mskey-pkcs11"),
    // The SmartToken names carry two blanks before the parenthesis.
    VELON_DEVICE_GROUP(7, 5, "SmartToken ", "pkcs11", ":\\smarttoken"),
};

#undef VELON_DEVICE_GROUP
#undef VELON_DEVICE_SLOT
