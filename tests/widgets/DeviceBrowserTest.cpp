// The device and key-container browser over the simulated tokens of dravik
// and a folder of the host: listing, choosing, filtering, and mapping paths
// back to device rows.
#include "WidgetFixture.h"

#include "support/TempDir.h"
#include "widgets/DevicePaths.h"
#include "widgets/TDeviceBrowseDialog.h"
#include "widgets/WideText.h"
#include "widgets/Win32/TTreeViewImpWin32.h"

#include <dravik/dravik.h>
#include <dravik/dravik_test.h>

#include <boost/filesystem.hpp>

namespace widgets_test {
namespace {

const Control kDevices = Control::byClass(L"SysListView32");
const Control kTree = Control::byClass(L"SysTreeView32");
const Control kFileName = Control::byClass(L"EDIT");
const Control kFileType = Control::byClass(L"COMBOBOX");

class DeviceBrowser : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        DravikTest_Reset();
        ASSERT_EQ(0, PKCS7Init((home_.path() / "dravik").string().c_str(), 0));
        boost::filesystem::create_directories(home_.path() / "certs" / "sub");
        for (const char* name : {"certs/a.cer", "certs/b.crt", "certs/notes.txt", "certs/.hidden.cer"})
            home_.write(name, "x");
    }
    void TearDown() override {
        DravikTest_Reset();
        WidgetTest::TearDown();
    }

    std::wstring certs() const { return wideFromUtf8(home_.file("certs")); }

    // The texts below the tree item at path ("" for the roots).
    static std::vector<std::wstring> childrenAt(TDeviceBrowseDialog& dialog, const std::wstring& path) {
        TTreeViewImpWin32* tree = dialog.deviceTree->treeImp();
        HTREEITEM item = nullptr;
        std::wstring prefix = tree->devicePrefix(path);
        for (HTREEITEM root = tree->firstRoot(); root && !path.empty(); root = tree->nextSibling(root)) {
            std::wstring text;
            if (tree->itemText(root, text) && text == prefix) item = root;
        }
        for (const std::wstring& piece : path.empty() ? std::vector<std::wstring>() : tree->splitPath(path))
            item = tree->findChild(item, piece);
        std::vector<std::wstring> texts;
        HTREEITEM child = path.empty() ? tree->firstRoot() : tree->firstChild(item);
        for (; child; child = tree->nextSibling(child)) {
            std::wstring text;
            tree->itemText(child, text);
            texts.push_back(text);
        }
        return texts;
    }

    // The folder and token walks dravik has made.
    static std::uint32_t walksSoFar() {
        std::uint32_t walks = 0;
        DravikJournalEntry entry;
        for (std::uint32_t i = 0; DravikTest_JournalEntry(i, &entry) == 0; ++i)
            walks += std::string(entry.function) == "CADB_by_dir" ? 1 : 0;
        return walks;
    }

    test::TempDir home_;
};

TEST_F(DeviceBrowser, ListsPresentTokensAndReturnsTheChosenContainer) {
    ASSERT_EQ(0, DravikTest_InsertToken("pkcs110:\\rtPKCS11ECP", "ECP", "1", "Slot 0", ""));
    ASSERT_EQ(0, DravikTest_InsertToken("etoken0:", "Work", "2", "Slot 0", ""));
    ASSERT_EQ(0, DravikTest_CreateContainer("etoken0:\\work", ""));
    TDeviceBrowseDialog dialog;
    dialog.focusButton = 1;
    win32::desktop::ScopedHandler handler([&](User& user) {
        EXPECT_EQ((std::vector<std::wstring>{L"File system", L"eToken (slot 0)", L"ruToken ECP (slot 0)"}),
                  user.items(kDevices));
        EXPECT_EQ(user.find(Control::byText(L"Ok")), GetFocus());
        ASSERT_TRUE(user.select(kDevices, L"ruToken ECP (slot 0)"));
        EXPECT_EQ(&deviceTable[31], dialog.selectedDevice);
        ASSERT_TRUE(user.select(kDevices, L"eToken (slot 0)"));
        EXPECT_EQ(&deviceTable[1], dialog.selectedDevice);
        EXPECT_EQ(L"etoken0:", user.text(kFileName));
        EXPECT_EQ(std::vector<std::wstring>{L"etoken0:"}, user.items(kTree));
        ASSERT_TRUE(user.expand(kTree, L"etoken0:"));
        EXPECT_EQ(std::vector<std::wstring>{L"work"}, childrenAt(dialog, L"etoken0:"));
        HTREEITEM root = dialog.deviceTree->treeImp()->firstRoot();
        dialog.deviceTree->treeImp()->send(TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(root));
        std::uint32_t walks = walksSoFar();
        EXPECT_LT(0u, walks);
        ASSERT_TRUE(user.expand(kTree, L"etoken0:"));  // loaded once: no second walk
        EXPECT_EQ(walks, walksSoFar());
        EXPECT_EQ(std::vector<std::wstring>{L"work"}, childrenAt(dialog, L"etoken0:"));
        ASSERT_TRUE(user.select(kTree, L"etoken0:\\work"));
        EXPECT_EQ(L"etoken0:\\work", user.text(kFileName));
        user.type(kFileName, L"typed");  // open mode: the field is read-only
        user.click(Control::byText(L"Ok"));
    });
    EXPECT_EQ(1, dialog.run());
    EXPECT_EQ(L"etoken0:\\work", dialog.path);
    ASSERT_EQ(0, DravikTest_RemoveToken("pkcs110:\\rtPKCS11ECP"));
}

// A collapsed item is handled as an expanded one: its level is there
// already (no walk), and it becomes the selection the file-name field shows.
TEST_F(DeviceBrowser, CollapsingAnItemSelectsIt) {
    ASSERT_EQ(0, DravikTest_InsertToken("etoken0:", "Work", "2", "Slot 0", ""));
    ASSERT_EQ(0, DravikTest_CreateContainer("etoken0:\\work", ""));
    TDeviceBrowseDialog dialog;
    dialog.setPath(L"etoken0:");
    win32::desktop::ScopedHandler handler([&](User& user) {
        ASSERT_TRUE(user.expand(kTree, L"etoken0:"));
        ASSERT_TRUE(user.select(kTree, L"etoken0:\\work"));
        EXPECT_EQ(L"etoken0:\\work", user.text(kFileName));
        const std::uint32_t walks = walksSoFar();
        HWND tree = user.find(kTree);
        HTREEITEM root = dialog.deviceTree->treeImp()->firstRoot();
        SendMessageW(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(root));
        NMTREEVIEWW collapsed{};
        collapsed.hdr.hwndFrom = tree;
        collapsed.hdr.code = TVN_ITEMEXPANDEDW;
        collapsed.action = TVE_COLLAPSE;
        collapsed.itemNew.hItem = root;
        EXPECT_EQ(0, SendMessageW(user.window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&collapsed)));
        EXPECT_EQ(L"etoken0:", user.text(kFileName));
        EXPECT_EQ(walks, walksSoFar());
        user.press(VK_ESCAPE);
    });
    EXPECT_EQ(0, dialog.run());
}

TEST_F(DeviceBrowser, FileSystemOpensAtThePathAndFiltersFiles) {
    TDeviceBrowseDialog dialog;
    dialog.setPath(certs());
    dialog.setFileFilter(L"Certificates", L"cer;;crt;");
    EXPECT_EQ((std::vector<std::wstring>{L"cer", L"crt"}), dialog.patterns);
    win32::desktop::ScopedHandler handler([&](User& user) {
        EXPECT_EQ(std::vector<std::wstring>{L"/"}, user.items(kTree));
        EXPECT_EQ((std::vector<std::wstring>{L"a.cer", L"b.crt", L"sub"}), childrenAt(dialog, certs()));
        EXPECT_EQ((std::vector<std::wstring>{L"All files (*.*)", L"Certificates"}), user.items(kFileType));
        ASSERT_TRUE(user.select(kFileType, L"All files (*.*)"));
        EXPECT_EQ((std::vector<std::wstring>{L"a.cer", L"b.crt", L"notes.txt", L"sub"}), childrenAt(dialog, certs()));
        ASSERT_TRUE(user.select(kTree, certs() + L"/notes.txt"));
        EXPECT_EQ(certs() + L"/notes.txt", user.text(kFileName));
        ASSERT_TRUE(user.select(kDevices, L"File system"));
        EXPECT_EQ(L"/", user.text(kFileName));
        user.press(VK_ESCAPE);
    });
    EXPECT_EQ(0, dialog.run());
    EXPECT_EQ(certs(), dialog.path);  // cancelled: the initial path stays
}

TEST_F(DeviceBrowser, FolderModeListsNoFiles) {
    TDeviceBrowseDialog dialog;
    dialog.folderMode = true;
    dialog.fileSystemOnly = true;
    dialog.setPath(certs());
    dialog.setFileFilter(L"Certificates", L"cer");
    ASSERT_EQ(0, DravikTest_InsertToken("etoken1:", "T", "1", "S", ""));
    win32::desktop::ScopedHandler handler([&](User& user) {
        EXPECT_EQ(std::vector<std::wstring>{L"File system"}, user.items(kDevices));
        EXPECT_EQ(std::vector<std::wstring>{L"Folders"}, user.items(kFileType));
        EXPECT_EQ(std::vector<std::wstring>{L"sub"}, childrenAt(dialog, certs()));
        EXPECT_EQ((std::vector<std::wstring>{L"cer"}), dialog.deviceTree->treeImp()->patterns);
        ASSERT_TRUE(user.select(kTree, certs() + L"/sub"));
        user.press(VK_RETURN);
    });
    EXPECT_EQ(1, dialog.run());
    EXPECT_EQ(certs() + L"/sub", dialog.path);
}

TEST_F(DeviceBrowser, SaveModeKeepsTheInitialPathForAnEmptiedField) {
    TDeviceBrowseDialog dialog;
    dialog.openMode = false;
    dialog.setPath(certs() + L"/new.key");
    std::wstring typed;
    win32::desktop::ScopedHandler handler([&](User& user) {
        user.type(kFileName, L"2");
        typed = user.text(kFileName);
        dialog.fileNameEdit->setText(L"");
        user.click(Control::byText(L"Ok"));
    });
    EXPECT_EQ(1, dialog.run());
    EXPECT_EQ(certs() + L"/new.key2", typed);
    EXPECT_EQ(certs() + L"/new.key", dialog.path);
}

TEST_F(DeviceBrowser, RefreshAndAnAbsentToken) {
    TDeviceBrowseDialog dialog;
    std::wstring boxTitle;
    std::wstring boxText;
    win32::desktop::ScopedHandler handler([&](User& user) {
        if (user.depth() == 2) {  // the access-denied box
            boxTitle = user.title();
            boxText = user.text(Control::byClass(L"STATIC", 1));
            user.press(VK_RETURN);
            return;
        }
        EXPECT_EQ(std::vector<std::wstring>{L"File system"}, user.items(kDevices));
        ASSERT_EQ(0, DravikTest_InsertToken("rutoken3:", "R", "3", "S", ""));
        user.click(Control::byText(L"Refresh"));
        ASSERT_EQ((std::vector<std::wstring>{L"File system", L"ruToken (slot 3)"}), user.items(kDevices));
        ASSERT_TRUE(user.select(kDevices, L"ruToken (slot 3)"));
        ASSERT_EQ(0, DravikTest_RemoveToken("rutoken3:"));
        user.expand(kTree, L"rutoken3:");
        EXPECT_TRUE(childrenAt(dialog, L"rutoken3:").empty());
        user.click(Control::byText(L"Cancel"));
    });
    EXPECT_EQ(0, dialog.run());
    EXPECT_EQ(L"Отказано в доступе", boxTitle);
    EXPECT_EQ(L"Ошибка в пароле доступа!", boxText);
}

TEST_F(DeviceBrowser, InitialPathOnAPkcs11DeviceOpensItsTree) {
    ASSERT_EQ(0, DravikTest_InsertToken("pkcs110:\\eTPKCS11g", "G", "1", "S", ""));
    ASSERT_EQ(0, DravikTest_CreateContainer("pkcs110:\\eTPKCS11g\\box", ""));
    TDeviceBrowseDialog dialog;
    dialog.setPath(L"pkcs110:\\eTPKCS11g\\box");
    win32::desktop::ScopedHandler handler([&](User& user) {
        EXPECT_EQ(std::vector<std::wstring>{L"pkcs110:\\eTPKCS11g"}, user.items(kTree));
        EXPECT_EQ(std::vector<std::wstring>{L"box"}, childrenAt(dialog, L"pkcs110:\\eTPKCS11g"));
        user.press(VK_RETURN);
    });
    EXPECT_EQ(1, dialog.run());
    EXPECT_EQ(L"pkcs110:\\eTPKCS11g\\box", dialog.path);
}

TEST(DevicePaths, KindsRowsAndPieces) {
    struct KindCase {
        const wchar_t* name;
        int kind;
    } kinds[] = {{L"ibutton:1", 1}, {L"etoken0:", 3}, {L"rutoken5:\\a", 2}, {L"pkcs110:\\x", 8},
                 {L"Etoken0:", 0},  {L"ibutton", 0},  {L"", 0},             {L"/home", 0}};
    for (const KindCase& c : kinds) EXPECT_EQ(c.kind, deviceKindFromName(c.name)) << c.name;

    struct RowCase {
        const wchar_t* path;
        const DeviceEntry* row;
    } rows[] = {
        {L"C:\\keys\\a.key", &deviceTable[0]},
        {L"etoken3:\\work", &deviceTable[4]},
        {L"pkcs112:\\eTPKCS11g\\box", &deviceTable[23]},
        {L"pkcs119:\\smarttoken", &deviceTable[60]},
        {L"pkcs110:\\unknown\\box", nullptr},
        // "pkcs11" inside a container's name does not make a token's path a PKCS#11 one.
        {L"etoken0:\\pkcs11keys\\smarttoken", &deviceTable[1]},
        {L"rutoken2:\\old-pkcs11", &deviceTable[13]},
        {L"etoken12:", nullptr},
        {L"/home/user/a.key", nullptr},
        {L"e:", nullptr},
    };
    for (const RowCase& c : rows) EXPECT_EQ(c.row, TDeviceTreeView::deviceFromPath(c.path)) << c.path;
    EXPECT_EQ(&deviceTable[0], findDeviceByPath("C:\\"));
    EXPECT_EQ(nullptr, findDeviceByPath("etoken10:"));

    TTreeViewImpWin32 tree(nullptr);
    struct PieceCase {
        const wchar_t* path;
        std::wstring prefix;
        std::vector<std::wstring> pieces;
    } pieces[] = {
        {L"etoken0:\\work\\key01.key", L"etoken0:", {L"work", L"key01.key"}},
        {L"pkcs110:\\mskey-pkcs11\\a", L"pkcs110:\\mskey-pkcs11", {L"a"}},
        {L"etoken0:\\pkcs11keys\\a", L"etoken0:", {L"pkcs11keys", L"a"}},
        {L"C:\\Keys\\a.key", L"C:\\", {L"Keys", L"a.key"}},
        {L"/tmp/a:b/c", L"/", {L"tmp", L"a:b", L"c"}},
        {L"keys", L"", {L"keys"}},
    };
    for (const PieceCase& c : pieces) {
        EXPECT_EQ(c.prefix, tree.devicePrefix(c.path)) << c.path;
        EXPECT_EQ(c.pieces, tree.splitPath(c.path)) << c.path;
    }
    tree.patterns = {L"cer", L"crt"};
    for (auto name : {L"a.cer", L"b.tar.crt"}) EXPECT_TRUE(tree.matchesPattern(name)) << name;
    for (auto name : {L"a.CER", L"cer", L"a.cer.txt"}) EXPECT_FALSE(tree.matchesPattern(name)) << name;
}

TEST_F(DeviceBrowser, DrivesOfTheDesktopWithTheirPictures) {
    win32::desktop::Settings settings;
    settings.drives = {{L"A:\\", DRIVE_REMOVABLE}, {L"B:\\", DRIVE_REMOVABLE}, {L"/", DRIVE_FIXED},
                       {L"D:\\", DRIVE_CDROM},     {L"N:\\", DRIVE_REMOTE}};
    win32::desktop::setSettings(settings);
    TDeviceBrowseDialog dialog;
    std::vector<int> images;
    win32::desktop::ScopedHandler handler([&](User& user) {
        EXPECT_EQ((std::vector<std::wstring>{L"A:\\", L"B:\\", L"/"}), user.items(kTree));
        TTreeViewImpWin32* tree = dialog.deviceTree->treeImp();
        for (HTREEITEM root = tree->firstRoot(); root; root = tree->nextSibling(root)) {
            TVITEMW item{};
            item.mask = TVIF_IMAGE;
            item.hItem = root;
            tree->send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            images.push_back(item.iImage);
        }
    });
    dialog.run();
    EXPECT_EQ((std::vector<int>{treeImageFloppy, treeImageRemovableDrive, treeImageFixedDrive}), images);
}

}  // namespace
}  // namespace widgets_test
