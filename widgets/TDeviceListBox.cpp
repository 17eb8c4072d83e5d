#include "widgets/TDeviceListBox.h"

#include "Velon/DeviceTable.h"
#include "widgets/Win32/TListViewImpWin32.h"

#include <dravik/dravik.h>

bool TDeviceListBox::fill(bool fileSystemOnly) {
    TListViewImpWin32* platform = listImp();
    if (!platform || !platform->getHwnd() || !clear()) return false;
    for (std::size_t row = 0; row < deviceTable.size(); ++row) {
        const DeviceEntry& device = deviceTable[row];
        if (row > 0 && (fileSystemOnly || TokenInserted(device.devicePath) == 0)) continue;
        if (!addItem(reinterpret_cast<LPARAM>(&device), device.displayName, device.imageIndex)) return false;
    }
    return true;
}
