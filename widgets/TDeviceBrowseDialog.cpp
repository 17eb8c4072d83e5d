#include "widgets/TDeviceBrowseDialog.h"

#include "widgets/DevicePaths.h"
#include "widgets/WideText.h"
#include "widgets/Win32/TDialogImpWin32.h"
#include "widgets/Win32/TTreeViewImpWin32.h"

TDeviceBrowseDialog::TDeviceBrowseDialog()
    : deviceList(std::make_unique<TDeviceListBox>()),
      deviceTree(std::make_unique<TDeviceTreeView>()),
      okButton(std::make_unique<TButton>()),
      cancelButton(std::make_unique<TButton>()),
      refreshButton(std::make_unique<TButton>()),
      captionStatic(std::make_unique<TStatic>()),
      fileNameStatic(std::make_unique<TStatic>()),
      fileTypeStatic(std::make_unique<TStatic>()),
      fileNameEdit(std::make_unique<TEdit>()),
      fileTypeCombo(std::make_unique<TComboBox>()) {}

TDeviceBrowseDialog::~TDeviceBrowseDialog() = default;

int TDeviceBrowseDialog::run(TWidget*) {
    showModal(0, 0, width, height, nullptr, title);
    return result;
}

void TDeviceBrowseDialog::setPath(std::wstring value) {
    if (!value.empty()) path = std::move(value);
}

void TDeviceBrowseDialog::setLabelText(int which, std::wstring value) {
    if (which >= 0 && which < static_cast<int>(labels.size())) labels[static_cast<std::size_t>(which)] = std::move(value);
}

void TDeviceBrowseDialog::setButtonText(int which, std::wstring value) {
    if (which == 0) cancelText = std::move(value);
    if (which == 1) okText = std::move(value);
    if (which == 2) refreshText = std::move(value);
}

void TDeviceBrowseDialog::setFileFilter(std::wstring description, const std::wstring& patternList) {
    filterDescription = std::move(description);
    std::size_t start = 0;
    while (start <= patternList.size()) {
        std::size_t end = patternList.find(L';', start);
        if (end == std::wstring::npos) end = patternList.size();
        if (end > start) patterns.push_back(patternList.substr(start, end - start));
        start = end + 1;
    }
}

void TDeviceBrowseDialog::initDialog() {
    captionStatic->create(15, 15, 0, labels[0], this);
    int y0 = captionStatic->getHeight() + 20;
    deviceList->create(15, y0, 150, 300, this);
    deviceList->addHandler(eventSelectionChanged, &TDeviceBrowseDialog::onDeviceSelect);
    deviceList->fill(fileSystemOnly);
    int x1 = deviceList->getWidth() + 30;
    int available = width - x1 - 15;

    bool fileNameLonger = labels[1].size() > labels[2].size();
    TStatic& longer = fileNameLonger ? *fileNameStatic : *fileTypeStatic;
    TStatic& shorter = fileNameLonger ? *fileTypeStatic : *fileNameStatic;
    longer.create(x1, y0, 0, labels[fileNameLonger ? 1 : 2], this);
    int labelWidth = longer.getWidth() + (fileNameLonger ? 10 : 15);
    fileNameEdit->create(path, x1 + labelWidth, y0, available - labelWidth, this);
    shorter.create(x1, y0, labelWidth, labels[fileNameLonger ? 2 : 1], this);
    fileTypeCombo->create(x1 + labelWidth, y0, available - labelWidth, this);

    fileNameEdit->setReadOnly(openMode);
    fileTypeCombo->addHandler(eventSelectionChanged, &TDeviceBrowseDialog::onFileTypeChange);
    fileTypeCombo->addItem(0, folderMode ? L"Folders" : L"All files (*.*)");
    if (!patterns.empty() && !folderMode) fileTypeCombo->addItem(1, filterDescription);

    int editHeight = fileNameEdit->getHeight();
    deviceTree->create(x1, y0, available, deviceList->getHeight() - 25 - 2 * editHeight, this);
    deviceTree->setFolderMode(folderMode);
    deviceTree->setPatterns(patterns);
    std::wstring shown = fileNameEdit->getText();
    deviceTree->fill(selectedDevice, &shown);
    deviceTree->addHandler(eventSelectionChanged, &TDeviceBrowseDialog::onTreeSelect);

    int y1 = y0 + deviceTree->getHeight() + 15;
    fileNameStatic->move(x1, y1);
    fileNameEdit->move(x1 + labelWidth, y1);
    int y2 = y1 + editHeight + 10;
    fileTypeStatic->move(x1, y2);
    fileTypeCombo->move(x1 + labelWidth, y2);

    int y3 = y2 + editHeight + 15;
    refreshButton->create(refreshText, 15, y3, 0, 30, this);
    refreshButton->addHandler(eventClicked, &TDeviceBrowseDialog::onRefresh);
    placeOkCancel(*okButton, okText, *cancelButton, cancelText, width, y3, this);
    okButton->addHandler(eventClicked, &TDeviceBrowseDialog::onOk);
    cancelButton->addHandler(eventClicked, &TDeviceBrowseDialog::onCancel);

    height = y3 + 15 + okButton->getHeight();
    dialogImp()->setClientSize(width, height);
    addHandler(eventDialogCommand, &TDeviceBrowseDialog::onDialogCommand);
    focusChosenButton(focusButton, okButton.get(), cancelButton.get(), refreshButton.get());
}

void TDeviceBrowseDialog::readPath() {
    std::wstring chosen = fileNameEdit->getText();
    if (!chosen.empty()) path = std::move(chosen);
}

bool TDeviceBrowseDialog::refresh() {
    if (!deviceList->fill(fileSystemOnly)) return false;
    return deviceTree->fill(nullptr, nullptr);
}

bool TDeviceBrowseDialog::selectDevice(const DeviceEntry* device) {
    if (!isDeviceRow(device)) return false;
    selectedDevice = device;
    if (device->kind >= deviceIButton && device->kind <= deviceSmartToken) {
        std::wstring devicePath = wideFromUtf8(device->devicePath);
        setFileNameText(&devicePath);
    } else if (device->kind == deviceFileSystem) {
        std::wstring root = fileSystemRoot;
        setFileNameText(&root);
    }
    return deviceTree->fill(device, nullptr);
}

bool TDeviceBrowseDialog::applyFileType(bool useFilter) {
    deviceTree->setPatterns(useFilter ? patterns : std::vector<std::wstring>());
    std::wstring shown = fileNameEdit->getText();
    return deviceTree->fill(selectedDevice, &shown);
}

bool TDeviceBrowseDialog::setFileNameText(const std::wstring* value) {
    return value && fileNameEdit->setText(*value);
}

bool TDeviceBrowseDialog::onOk(TWidget* receiver, TWidget* target, TWindowEvent*) {
    if (auto* dialog = dialogOf<TDeviceBrowseDialog>(receiver, target)) {
        dialog->readPath();
        dialog->result = 1;
        dialog->endDialog(1);
    }
    return true;
}

bool TDeviceBrowseDialog::onCancel(TWidget* receiver, TWidget* target, TWindowEvent*) {
    if (auto* dialog = dialogOf<TDeviceBrowseDialog>(receiver, target)) {
        dialog->result = 0;
        dialog->endDialog(0);
    }
    return true;
}

bool TDeviceBrowseDialog::onDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event) {
    return routeDialogCommand(receiver, target, event, &TDeviceBrowseDialog::onOk, &TDeviceBrowseDialog::onCancel);
}

bool TDeviceBrowseDialog::onRefresh(TWidget* receiver, TWidget* target, TWindowEvent*) {
    if (auto* dialog = dialogOf<TDeviceBrowseDialog>(receiver, target)) dialog->refresh();
    return true;
}

bool TDeviceBrowseDialog::onDeviceSelect(TWidget* receiver, TWidget* target, TWindowEvent* event) {
    auto* dialog = dialogOf<TDeviceBrowseDialog>(receiver, target);
    if (dialog && event) dialog->selectDevice(reinterpret_cast<const DeviceEntry*>(event->param2));
    return true;
}

bool TDeviceBrowseDialog::onTreeSelect(TWidget* receiver, TWidget* target, TWindowEvent* event) {
    auto* dialog = dialogOf<TDeviceBrowseDialog>(receiver, target);
    if (dialog && event) dialog->setFileNameText(reinterpret_cast<const std::wstring*>(event->param2));
    return true;
}

bool TDeviceBrowseDialog::onFileTypeChange(TWidget* receiver, TWidget* target, TWindowEvent* event) {
    auto* dialog = dialogOf<TDeviceBrowseDialog>(receiver, target);
    if (dialog && event) dialog->applyFileType(event->param1 != 0);
    return true;
}
