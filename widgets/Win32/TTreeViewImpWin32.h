#pragma once
// The Win32 side of a tree view, and the device tree's items: drives,
// folders and files of the file system, and the containers and objects that
// dravik lists on a token. Levels load when an item is first expanded; an
// item whose only child has an empty text has not been loaded yet.
//
// File-system items are joined with "/" (the host's paths); token items with
// "\" behind the device path ("etoken0:\work\key01.key").

#include "widgets/Win32/TWidgetImpWin32.h"

#include <string>
#include <vector>

// Images of the tree's image list.
enum TreeImage : int {
    treeImageFloppy = 6,
    treeImageFixedDrive = 7,
    treeImageRemovableDrive = 8,
    treeImageFolder = 9,
    treeImageOpenFolder = 10,
    treeImageFile = 11,
};

class TTreeViewImpWin32 : public TWidgetImpWin32 {
public:
    using TWidgetImpWin32::TWidgetImpWin32;
    // The window goes before the image list it shows.
    ~TTreeViewImpWin32() override;

    bool buildImageList();
    // Appends the shell library's small icon of that index.
    bool addShellIcon(int index);
    bool clear();

    // Items.
    HTREEITEM insertItem(HTREEITEM parent, HTREEITEM after, const std::wstring& text, int image,
                         int selectedImage);
    // A folder, with an empty child when it may hold something.
    HTREEITEM insertFolder(HTREEITEM parent, HTREEITEM after, const std::wstring& text, bool expandable);
    HTREEITEM insertExpandMark(HTREEITEM parent);
    HTREEITEM firstRoot() const;
    HTREEITEM firstChild(HTREEITEM item) const;
    HTREEITEM nextSibling(HTREEITEM item) const;
    HTREEITEM parentOf(HTREEITEM item) const;
    // False when the item's text cannot be read.
    bool itemText(HTREEITEM item, std::wstring& text) const;
    // The texts from the root down to the item, joined; empty when one
    // cannot be read.
    std::wstring itemPath(HTREEITEM item) const;
    // The item itself when its text is text, else its first child with exactly that text.
    HTREEITEM findChild(HTREEITEM item, const std::wstring& text) const;

    // The drives as root items, then the path opened (selectPath's answer).
    int fillDrives(const std::wstring* path);
    // Whether a folder gets an expand mark: every folder that can be read
    // lists "." and "..", which count as sub-folders.
    bool hasChildren(const std::wstring& directory) const;
    // With patterns, only names whose extension (after the last ".") is one
    // of them, exactly.
    bool matchesPattern(const std::wstring& fileName) const;
    // Sub-folders, and outside folder mode the visible files that match,
    // sorted; 1, or 0 when the folder cannot be read.
    int addFolderChildren(HTREEITEM item, const std::wstring& directory);
    // The pieces of a path below its device (empty when none).
    std::vector<std::wstring> splitPath(const std::wstring& path) const;
    // The root text a path belongs under: "/" for the file system, "X:\"
    // for a drive letter, the device part of a device path.
    std::wstring devicePrefix(const std::wstring& path) const;
    // Expands the path's root and each piece below it; 1 when all were
    // found and expanded, 0 otherwise (and without a path).
    int selectPath(const std::wstring* path);
    // Loads the level of an expanded item once; 0 when it cannot be
    // loaded (the user is told when a token refuses access).
    int onItemExpanded(HTREEITEM item);

    // dravik's walker callbacks; the context is the implementation.
    static int addTokenEntryCallback(const char* name, void* tree);
    static int addPkcs11EntryCallback(const char* name, void* tree);
    void addTokenEntry(const std::string& name);
    void addPkcs11Entry(const std::string& name);

    HIMAGELIST imageList = nullptr;
    bool folderMode = false;
    std::vector<std::wstring> patterns;

private:
    int loadLevel(HTREEITEM item, bool& refused);
    void showAccessDenied();
};
