#pragma once
// Lets the user choose a folder or a file with the system's own choosers.
// Not a widget: it only carries the question and the answer.
//
//   TFileSystemManagerDialog dialog;
//   dialog.setTitle(title);
//   dialog.folderMode = false;
//   dialog.openMode = true;  // the file must exist
//   dialog.setPath(initial);
//   dialog.setFileFilter(L"Certificates", L"cer;crt");
//   if (dialog.run()) use(dialog.path);

#include <string>
#include <vector>

class TFileSystemManagerDialog {
public:
    TFileSystemManagerDialog();
    virtual ~TFileSystemManagerDialog();
    TFileSystemManagerDialog(const TFileSystemManagerDialog&) = delete;
    TFileSystemManagerDialog& operator=(const TFileSystemManagerDialog&) = delete;

    // Each replaces its text unless value is empty.
    void setTitle(std::wstring value);
    void setPath(std::wstring value);
    // Keeps the description and appends each non-empty ";"-separated pattern.
    void setFileFilter(std::wstring description, const std::wstring& patternList);
    // Shows the folder chooser (folderMode) or the file chooser; true and the
    // chosen path in path when the user chose, false (path unchanged) when
    // the user cancelled or the chooser failed.
    bool run(void* unused = nullptr);

    bool folderMode = false;
    // Open: the chosen file and its folder must exist. Save: any name.
    bool openMode = true;
    std::wstring title;
    // The initial path in, the chosen path out.
    std::wstring path;
    std::wstring filterDescription;
    std::vector<std::wstring> patterns;
};
