#pragma once
// The device browser's tree: the drives and folders of the file system, or
// the containers and objects of one token.

#include "Velon/DeviceTable.h"
#include "widgets/TTreeView.h"

#include <string>
#include <vector>

class TDeviceTreeView : public TTreeView {
public:
    // Empties the tree, then shows the device (or, without one, the device
    // the path names, else the drives) opened at the path. False without a
    // window, for a device of no known kind, or when the path could not be
    // opened all the way.
    bool fill(const DeviceEntry* device, const std::wstring* path);
    void setPatterns(std::vector<std::wstring> patterns);
    void setFolderMode(bool folderMode);

    // The device as the tree's root, with an expand mark, opened at the path.
    bool fillDevice(const DeviceEntry* device, const std::wstring* path);
    // The same for one kind; false for a device of another kind.
    bool fillIButton(const DeviceEntry* device, const std::wstring* path);
    bool fillRuToken(const DeviceEntry* device, const std::wstring* path);
    bool fillEToken(const DeviceEntry* device, const std::wstring* path);
    bool fillPkcs11(const DeviceEntry* device, const std::wstring* path);

    // The table row of the device a path names; null for a path shorter
    // than three characters or without a device part.
    static const DeviceEntry* deviceFromPath(const std::wstring& path);
};
