#include "widgets/Win32/TTreeViewImpWin32.h"

#include "widgets/DevicePaths.h"
#include "widgets/TInfoDialog.h"
#include "widgets/WideText.h"
#include "widgets/Win32/ImageLists.h"

#include <dravik/dravik.h>

#include <boost/filesystem.hpp>

#include <cwchar>
#include <exception>

namespace {

namespace fs = boost::filesystem;

// dravik's walk selectors: a token's entries; a PKCS#11 device's key
// containers, certificates and other objects (each recursive).
const int kTokenEntries = DRAVIK_WALK_ENTRIES;
const int kPkcs11Containers = DRAVIK_WALK_RECURSIVE | DRAVIK_WALK_CONTAINERS;
const int kPkcs11Certificates = DRAVIK_WALK_RECURSIVE | DRAVIK_WALK_CERTIFICATES;
const int kPkcs11Objects = DRAVIK_WALK_RECURSIVE | DRAVIK_WALK_OBJECTS;

const int kTextLimit = 1024;

const wchar_t* const kModuleNames[] = {L"eTPKCS11g", L"rtPKCS11ECP", L"mskey-pkcs11", L"smarttoken"};

bool isFileSystemPath(const std::wstring& path) { return !path.empty() && path[0] == L'/'; }

wchar_t separatorUnder(const std::wstring& root) { return isFileSystemPath(root) ? L'/' : L'\\'; }

std::wstring joined(const std::wstring& directory, const std::wstring& name) {
    if (directory.empty() || directory.back() == L'/' || directory.back() == L'\\') return directory + name;
    return directory + separatorUnder(directory) + name;
}

// Files starting with "." are hidden on this platform.
bool isHidden(const std::wstring& name) { return !name.empty() && name[0] == L'.'; }

// Window updates stay locked while a level is built.
class UpdateLock {
public:
    explicit UpdateLock(HWND window) : locked_(LockWindowUpdate(window) != FALSE) {}
    ~UpdateLock() {
        if (locked_) LockWindowUpdate(nullptr);
    }
    UpdateLock(const UpdateLock&) = delete;
    UpdateLock& operator=(const UpdateLock&) = delete;

private:
    bool locked_;
};

}  // namespace

TTreeViewImpWin32::~TTreeViewImpWin32() {
    destroy();
    if (imageList) ImageList_Destroy(imageList);
}

bool TTreeViewImpWin32::buildImageList() {
    HWND window = getHwnd();
    if (!window) return false;
    if (!imageList) imageList = ImageList_Create(16, 16, ILC_MASK, 10, 0);
    if (!imageList || !addPenImages(imageList, window) || !addShellImages(imageList, {6, 8, 7, 3, 4, 1}))
        return false;
    send(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(imageList));
    return true;
}

bool TTreeViewImpWin32::addShellIcon(int index) {
    return getHwnd() && imageList && addShellImages(imageList, {index});
}

bool TTreeViewImpWin32::clear() {
    return getHwnd() && send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)) != FALSE;
}

HTREEITEM TTreeViewImpWin32::insertItem(HTREEITEM parent, HTREEITEM after, const std::wstring& text, int image,
                                        int selectedImage) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<LPWSTR>(text.c_str());
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    return reinterpret_cast<HTREEITEM>(send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM TTreeViewImpWin32::insertExpandMark(HTREEITEM parent) {
    return insertItem(parent, TVI_LAST, std::wstring(), -1, -1);
}

HTREEITEM TTreeViewImpWin32::insertFolder(HTREEITEM parent, HTREEITEM after, const std::wstring& text,
                                          bool expandable) {
    HTREEITEM folder = insertItem(parent, after, text, treeImageFolder, treeImageOpenFolder);
    if (folder && expandable) insertExpandMark(folder);
    return folder;
}

HTREEITEM TTreeViewImpWin32::firstRoot() const {
    return reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, TVGN_ROOT, 0));
}

HTREEITEM TTreeViewImpWin32::firstChild(HTREEITEM item) const {
    return item ? reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)))
                : nullptr;
}

HTREEITEM TTreeViewImpWin32::nextSibling(HTREEITEM item) const {
    return item ? reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))
                : nullptr;
}

HTREEITEM TTreeViewImpWin32::parentOf(HTREEITEM item) const {
    return item ? reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)))
                : nullptr;
}

bool TTreeViewImpWin32::itemText(HTREEITEM item, std::wstring& text) const {
    if (!item) return false;
    // Long enough for any file name of the host.
    std::wstring buffer(kTextLimit, L'\0');
    TVITEMW request{};
    request.mask = TVIF_TEXT;
    request.hItem = item;
    request.pszText = &buffer[0];
    request.cchTextMax = kTextLimit;
    if (!send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&request))) return false;
    buffer.resize(std::wcslen(buffer.c_str()));
    text = buffer;
    return true;
}

std::wstring TTreeViewImpWin32::itemPath(HTREEITEM item) const {
    std::vector<std::wstring> texts;
    for (HTREEITEM at = item; at; at = parentOf(at)) {
        std::wstring text;
        if (!itemText(at, text)) return std::wstring();
        texts.push_back(text);
    }
    if (texts.empty()) return std::wstring();
    wchar_t separator = separatorUnder(texts.back());
    std::wstring path;
    for (auto text = texts.rbegin(); text != texts.rend(); ++text) {
        if (!path.empty() && path.back() != separator) path += separator;
        path += *text;
    }
    return path;
}

HTREEITEM TTreeViewImpWin32::findChild(HTREEITEM item, const std::wstring& text) const {
    // Children only: a folder may hold one of its own name.
    for (HTREEITEM child = firstChild(item); child; child = nextSibling(child)) {
        std::wstring childText;
        if (itemText(child, childText) && childText == text) return child;
    }
    return nullptr;
}

int TTreeViewImpWin32::fillDrives(const std::wstring* path) {
    wchar_t drives[kTextLimit];
    DWORD length = GetLogicalDriveStringsW(kTextLimit, drives);
    if (length == 0 || length >= static_cast<DWORD>(kTextLimit)) return 0;
    for (const wchar_t* drive = drives; *drive; drive += std::wcslen(drive) + 1) {
        std::wstring root = drive;
        int image;
        switch (GetDriveTypeW(drive)) {
            case DRIVE_REMOVABLE:
                image = root == L"A:\\" ? treeImageFloppy : treeImageRemovableDrive;
                break;
            case DRIVE_FIXED:
                image = treeImageFixedDrive;
                break;
            default:
                continue;
        }
        HTREEITEM item = insertItem(nullptr, TVI_LAST, root, image, image);
        if (item && hasChildren(root)) insertExpandMark(item);
    }
    return selectPath(path);
}

bool TTreeViewImpWin32::hasChildren(const std::wstring& directory) const {
    boost::system::error_code error;
    fs::directory_iterator listing(fs::path(utf8FromWide(directory)), error);
    return !error;
}

bool TTreeViewImpWin32::matchesPattern(const std::wstring& fileName) const {
    if (patterns.empty()) return true;
    std::size_t dot = fileName.rfind(L'.');
    if (dot == std::wstring::npos) return false;
    std::wstring extension = fileName.substr(dot + 1);
    for (const std::wstring& pattern : patterns)
        if (extension == pattern) return true;
    return false;
}

int TTreeViewImpWin32::addFolderChildren(HTREEITEM item, const std::wstring& directory) {
    boost::system::error_code error;
    fs::directory_iterator listing(fs::path(utf8FromWide(directory)), error);
    if (error) return 0;
    for (fs::directory_iterator end; listing != end; listing.increment(error)) {
        if (error) break;
        std::wstring name = wideFromUtf8(listing->path().filename().string());
        if (name.empty()) continue;
        boost::system::error_code statusError;
        if (fs::is_directory(listing->status(statusError))) {
            insertFolder(item, TVI_SORT, name, hasChildren(joined(directory, name)));
        } else if (!folderMode && !isHidden(name) && matchesPattern(name)) {
            insertItem(item, TVI_SORT, name, treeImageFile, treeImageFile);
        }
    }
    return 1;
}

std::vector<std::wstring> TTreeViewImpWin32::splitPath(const std::wstring& path) const {
    bool fileSystem = isFileSystemPath(path);
    wchar_t separator = fileSystem ? L'/' : L'\\';
    std::vector<std::wstring> pieces;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(separator, start);
        if (end == std::wstring::npos) end = path.size();
        std::wstring piece = path.substr(start, end - start);
        start = end + 1;
        if (piece.empty()) continue;
        // Below a device, the device's own pieces ("etoken0:", "pkcs110:", the module) are no items.
        if (!fileSystem) {
            bool device = piece.find(L':') != std::wstring::npos;
            for (const wchar_t* module : kModuleNames) device = device || piece.find(module) != std::wstring::npos;
            if (device) continue;
        }
        pieces.push_back(piece);
    }
    return pieces;
}

std::wstring TTreeViewImpWin32::devicePrefix(const std::wstring& path) const {
    if (isFileSystemPath(path)) return fileSystemRoot;
    std::wstring prefix = devicePartOf(path);
    if (!prefix.empty() && prefix.size() < 3) prefix += L'\\';
    return prefix;
}

int TTreeViewImpWin32::selectPath(const std::wstring* path) {
    if (!path || path->empty() || !getHwnd()) return 0;
    std::wstring prefix = devicePrefix(*path);
    if (prefix.empty()) return 0;
    for (HTREEITEM root = firstRoot(); root; root = nextSibling(root)) {
        std::wstring text;
        if (!itemText(root, text) || text != prefix) continue;
        if (*path == prefix) return send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root)) ? 1 : 0;
        send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
        HTREEITEM at = root;
        for (const std::wstring& piece : splitPath(*path)) {
            HTREEITEM child = findChild(at, piece);
            if (!child || !send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(child))) return 0;
            at = child;
        }
        return 1;
    }
    return 0;
}

int TTreeViewImpWin32::onItemExpanded(HTREEITEM item) {
    try {
        bool refused = false;
        int loaded = loadLevel(item, refused);
        if (refused) showAccessDenied();
        return loaded;
    } catch (const std::exception&) {
        return 0;
    }
}

int TTreeViewImpWin32::loadLevel(HTREEITEM item, bool& refused) {
    HWND window = getHwnd();
    if (!window || !item) return 0;
    UpdateLock lock(window);
    HTREEITEM first = firstChild(item);
    std::wstring firstText;
    if (first && itemText(first, firstText) && !firstText.empty()) return 1;
    if (first) send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(first));
    std::wstring path = itemPath(item);
    std::string device = utf8FromWide(path);
    switch (deviceKindFromName(path)) {
        case deviceFileSystem:
            return addFolderChildren(item, path);
        case deviceRuToken:
        case deviceEToken:
            refused = CADB_by_dir(device.c_str(), kTokenEntries, &addTokenEntryCallback, this) != 1;
            return refused ? 0 : 1;
        case devicePkcs11:
            refused = CADB_by_dir(device.c_str(), kPkcs11Containers, &addPkcs11EntryCallback, this) != 1;
            if (refused) return 0;
            CADB_by_dir(device.c_str(), kPkcs11Certificates, &addPkcs11EntryCallback, this);
            CADB_by_dir(device.c_str(), kPkcs11Objects, &addPkcs11EntryCallback, this);
            return 1;
        default:  // iButton devices list nothing
            return 0;
    }
}

void TTreeViewImpWin32::showAccessDenied() {
    TInfoDialog box;
    box.setTitle(L"Отказано в доступе");
    box.setText(L"Ошибка в пароле доступа!");
    box.setButtonText(L"Закрыть");
    box.run(owner ? owner->parent : nullptr, L"icon-error");
}

int TTreeViewImpWin32::addTokenEntryCallback(const char* name, void* tree) {
    if (name && tree) {
        try {
            static_cast<TTreeViewImpWin32*>(tree)->addTokenEntry(name);
        } catch (const std::exception&) {
            // The entry is left out; the walk goes on.
        }
    }
    return 1;
}

int TTreeViewImpWin32::addPkcs11EntryCallback(const char* name, void* tree) {
    if (name && tree) {
        try {
            static_cast<TTreeViewImpWin32*>(tree)->addPkcs11Entry(name);
        } catch (const std::exception&) {
            // The entry is left out; the walk goes on.
        }
    }
    return 1;
}

void TTreeViewImpWin32::addTokenEntry(const std::string& name) {
    std::vector<std::wstring> pieces = splitPath(wideFromUtf8(name));
    HTREEITEM at = firstRoot();
    if (pieces.empty() || !at) return;
    bool directory = CADB_is_dir(name.c_str()) == 1;
    for (const std::wstring& piece : pieces) {
        HTREEITEM found = findChild(at, piece);
        if (!found) {
            if (directory)
                found = insertFolder(at, TVI_LAST, piece, true);
            else if (!folderMode)
                found = insertItem(at, TVI_LAST, piece, treeImageFile, treeImageFile);
            if (!found) return;
        }
        at = found;
    }
}

void TTreeViewImpWin32::addPkcs11Entry(const std::string& name) {
    std::vector<std::wstring> pieces = splitPath(wideFromUtf8(name));
    HTREEITEM at = firstRoot();
    if (pieces.empty() || !at) return;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        HTREEITEM found = findChild(at, pieces[i]);
        if (!found) {
            bool last = i + 1 == pieces.size();
            if (!last)
                found = insertFolder(at, TVI_LAST, pieces[i], false);
            else if (!folderMode && matchesPattern(pieces[i]))
                found = insertItem(at, TVI_LAST, pieces[i], treeImageFile, treeImageFile);
            if (!found) return;
        }
        at = found;
    }
}
