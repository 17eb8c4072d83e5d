#include "widgets/TDeviceTreeView.h"

#include "widgets/DevicePaths.h"
#include "widgets/WideText.h"
#include "widgets/Win32/TTreeViewImpWin32.h"

#include <exception>

bool TDeviceTreeView::fill(const DeviceEntry* device, const std::wstring* path) {
    TTreeViewImpWin32* platform = treeImp();
    if (!platform || !platform->getHwnd()) return false;
    try {
        platform->clear();
        bool hasPath = path && !path->empty();
        if (!device && !hasPath) return platform->fillDrives(nullptr) != 0;
        if (!device) {
            device = deviceFromPath(*path);
            if (!device) return platform->fillDrives(path) != 0;
        }
        if (device->kind == deviceFileSystem) return platform->fillDrives(path) != 0;
        if (device->kind >= deviceIButton && device->kind <= deviceSmartToken) return fillDevice(device, path);
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

void TDeviceTreeView::setPatterns(std::vector<std::wstring> patterns) {
    if (TTreeViewImpWin32* platform = treeImp()) platform->patterns = std::move(patterns);
}

void TDeviceTreeView::setFolderMode(bool folderMode) {
    if (TTreeViewImpWin32* platform = treeImp()) platform->folderMode = folderMode;
}

bool TDeviceTreeView::fillDevice(const DeviceEntry* device, const std::wstring* path) {
    TTreeViewImpWin32* platform = treeImp();
    if (!platform || !device) return false;
    HTREEITEM root = platform->insertItem(nullptr, TVI_LAST, wideFromUtf8(device->devicePath), device->imageIndex,
                                          device->imageIndex);
    if (!root) return false;
    // iButton devices hold no folders, so in folder mode there is nothing to open.
    if (device->kind != deviceIButton || !platform->folderMode) platform->insertExpandMark(root);
    return platform->selectPath(path) != 0;
}

bool TDeviceTreeView::fillIButton(const DeviceEntry* device, const std::wstring* path) {
    return device && device->kind == deviceIButton && fillDevice(device, path);
}

bool TDeviceTreeView::fillRuToken(const DeviceEntry* device, const std::wstring* path) {
    return device && device->kind == deviceRuToken && fillDevice(device, path);
}

bool TDeviceTreeView::fillEToken(const DeviceEntry* device, const std::wstring* path) {
    return device && device->kind == deviceEToken && fillDevice(device, path);
}

bool TDeviceTreeView::fillPkcs11(const DeviceEntry* device, const std::wstring* path) {
    return device && device->kind >= deviceRuTokenEcp && device->kind <= deviceSmartToken &&
           fillDevice(device, path);
}

const DeviceEntry* TDeviceTreeView::deviceFromPath(const std::wstring& path) {
    if (path.size() < 3) return nullptr;
    bool unknownModule = false;
    std::wstring prefix = devicePartOf(path, &unknownModule);
    if (prefix.empty() || unknownModule) return nullptr;
    return findDeviceByPath(utf8FromWide(prefix));
}
