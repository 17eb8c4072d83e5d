#pragma once
// Lets the user choose where a key or certificate lives or is to be
// written: the file system or a token present (list on the left), the
// chosen device's folders, containers and files (tree on the right), the
// chosen path (file-name field) and the file type (combo box).
//
//   TDeviceBrowseDialog dialog;
//   dialog.setTitle(title);
//   dialog.labels[0] = ...; dialog.labels[1] = ...; dialog.labels[2] = ...;
//   dialog.cancelText = ...; dialog.refreshText = ...; dialog.focusButton = 1;
//   dialog.folderMode = ...; dialog.openMode = ...;
//   dialog.setPath(initial);
//   dialog.setFileFilter(description, L"cer;crt");
//   if (dialog.run() == 1) use(dialog.path);

#include "Velon/DeviceTable.h"
#include "widgets/TButton.h"
#include "widgets/TComboBox.h"
#include "widgets/TDeviceListBox.h"
#include "widgets/TDeviceTreeView.h"
#include "widgets/TDialog.h"
#include "widgets/TEdit.h"
#include "widgets/TStatic.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class TDeviceBrowseDialog : public TDialog {
public:
    TDeviceBrowseDialog();
    ~TDeviceBrowseDialog() override;

    // Shows the dialog without parent; answers result.
    int run(TWidget* unused = nullptr);
    void setTitle(std::wstring value) { title = std::move(value); }
    // Replaces the initial path unless value is empty.
    void setPath(std::wstring value);
    // 0 the device caption, 1 the file-name label, 2 the file-type label.
    void setLabelText(int which, std::wstring value);
    // 0 Cancel, 1 OK, 2 Refresh.
    void setButtonText(int which, std::wstring value);
    int setResult(int value) { return result = value; }
    // Keeps the description and appends each non-empty ";"-separated pattern.
    void setFileFilter(std::wstring description, const std::wstring& patternList);

    // The handlers' steps, also usable without an event.
    // The device list again, then the drives in the tree.
    bool refresh();
    // Shows the row's device path (the file-system root for the file
    // system) and the device in the tree.
    bool selectDevice(const DeviceEntry* device);
    // The tree with the filter's patterns (useFilter) or none, opened at the field's path.
    bool applyFileType(bool useFilter);
    bool setFileNameText(const std::wstring* value);
    // The field's text becomes the path unless it is empty.
    void readPath();

    void initDialog() override;
    static bool onOk(TWidget* receiver, TWidget* target, TWindowEvent* event);
    static bool onCancel(TWidget* receiver, TWidget* target, TWindowEvent* event);
    static bool onDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event);
    static bool onRefresh(TWidget* receiver, TWidget* target, TWindowEvent* event);
    // param2: the row's device-table entry.
    static bool onDeviceSelect(TWidget* receiver, TWidget* target, TWindowEvent* event);
    // param2: the selected item's path.
    static bool onTreeSelect(TWidget* receiver, TWidget* target, TWindowEvent* event);
    // param1: the chosen entry; 0 is "All files" (or "Folders").
    static bool onFileTypeChange(TWidget* receiver, TWidget* target, TWindowEvent* event);

    std::unique_ptr<TDeviceListBox> deviceList;
    std::unique_ptr<TDeviceTreeView> deviceTree;
    std::unique_ptr<TButton> okButton;
    std::unique_ptr<TButton> cancelButton;
    std::unique_ptr<TButton> refreshButton;
    std::unique_ptr<TStatic> captionStatic;
    std::unique_ptr<TStatic> fileNameStatic;
    std::unique_ptr<TStatic> fileTypeStatic;
    std::unique_ptr<TEdit> fileNameEdit;
    std::unique_ptr<TComboBox> fileTypeCombo;
    // List only the file system.
    bool fileSystemOnly = false;
    // Folders are chosen; files are not listed.
    bool folderMode = false;
    // Open: the file-name field is read-only; save: it can be typed into.
    bool openMode = true;
    int width = 600;
    int height = 400;
    std::wstring title = L"Dialog";
    std::array<std::wstring, 3> labels = {L"Carriers", L"File name:", L"File type:"};
    std::wstring okText = L"Ok";
    std::wstring cancelText = L"Cancel";
    std::wstring refreshText = L"Refresh";
    // The initial path in, the chosen path out.
    std::wstring path;
    std::wstring filterDescription;
    std::vector<std::wstring> patterns;
    // The row last chosen in the list.
    const DeviceEntry* selectedDevice = nullptr;
    // 0 Cancel, 1 OK, 2 Refresh, other values none.
    int focusButton = -1;
    int result = 0;
};
