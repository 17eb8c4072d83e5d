#include "widgets/TFileSystemManagerDialog.h"

#include "widgets/Win32/TFileSystemManagerDialogWin32.h"

TFileSystemManagerDialog::TFileSystemManagerDialog() = default;

TFileSystemManagerDialog::~TFileSystemManagerDialog() = default;

void TFileSystemManagerDialog::setTitle(std::wstring value) {
    if (!value.empty()) title = std::move(value);
}

void TFileSystemManagerDialog::setPath(std::wstring value) {
    if (!value.empty()) path = std::move(value);
}

void TFileSystemManagerDialog::setFileFilter(std::wstring description, const std::wstring& patternList) {
    filterDescription = std::move(description);
    std::size_t start = 0;
    while (start <= patternList.size()) {
        std::size_t end = patternList.find(L';', start);
        if (end == std::wstring::npos) end = patternList.size();
        if (end > start) patterns.push_back(patternList.substr(start, end - start));
        start = end + 1;
    }
}

bool TFileSystemManagerDialog::run(void*) {
    TFileSystemManagerDialogWin32 chooser;
    chooser.setTitle(title);
    chooser.setPath(path);
    chooser.setFolderMode(folderMode);
    chooser.setOpenMode(openMode);
    chooser.setFileFilter(filterDescription, patterns);
    if (!chooser.show()) return false;
    path = chooser.path;
    return true;
}
