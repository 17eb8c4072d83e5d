// The device table: size, order and the exact texts the page relies on.
#include "Velon/DeviceTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct RowCase {
    std::size_t row;
    int kind;
    int image;
    const wchar_t* name;
    const char* path;
};

const RowCase kRows[] = {
    {0, 0, 6, L"File system", "file system:"},
    {1, 3, 2, L"eToken (slot 0)", "etoken0:"},
    {4, 3, 2, L"eToken (slot 3)", "etoken3:"},
    {18, 2, 0, L"ruToken (slot 7)", "rutoken7:"},
    {23, 5, 3, L"eToken GOST (slot 2)", "pkcs112:\\eTPKCS11g"},
    {36, 4, 1, L"ruToken ECP (slot 5)", "pkcs115:\\rtPKCS11ECP"},
    {45, 6, 4, L"MS Key (slot 4)", "pkcs114:\\mskey-pkcs11"},
    {55, 7, 5, L"SmartToken  (slot 4)", "pkcs114:\\smarttoken"},
    {60, 7, 5, L"SmartToken  (slot 9)", "pkcs119:\\smarttoken"},
};

TEST(DeviceTable, RowsHoldTheirExactTexts) {
    ASSERT_EQ(61u, deviceTable.size());
    for (const RowCase& c : kRows) {
        const DeviceEntry& entry = deviceTable[c.row];
        EXPECT_EQ(c.kind, entry.kind) << c.row;
        EXPECT_EQ(c.image, entry.imageIndex) << c.row;
        EXPECT_EQ(std::wstring(c.name), entry.displayName) << c.row;
        EXPECT_EQ(std::string(c.path), entry.devicePath) << c.row;
    }
}

TEST(DeviceTable, GroupsShareKindAndPictureAndPathsAreDistinct) {
    std::set<std::string> paths;
    for (std::size_t row = 1; row < deviceTable.size(); ++row) {
        const DeviceEntry& first = deviceTable[1 + (row - 1) / 10 * 10];
        EXPECT_EQ(first.kind, deviceTable[row].kind) << row;
        EXPECT_EQ(first.imageIndex, deviceTable[row].imageIndex) << row;
        paths.insert(deviceTable[row].devicePath);
    }
    EXPECT_EQ(60u, paths.size());
}

}  // namespace
