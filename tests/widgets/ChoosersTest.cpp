// The system choosers behind TFileSystemManagerDialog, and the certificate
// names collected from a folder walk.
#include "WidgetFixture.h"

#include "support/TempDir.h"
#include "widgets/TCertificatesList.h"
#include "widgets/TFileSystemManagerDialog.h"
#include "widgets/WideText.h"

#include <dravik/dravik.h>
#include <dravik/dravik_test.h>

#include <boost/filesystem.hpp>

namespace widgets_test {
namespace {

using win32::desktop::ChooserRequest;
using win32::desktop::ModalKind;
using Filters = std::vector<std::pair<std::wstring, std::wstring>>;

class Choosers : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        boost::filesystem::create_directories(dir_.path() / "keys");
        dir_.write("keys/user.cer", "x");
    }
    std::wstring file(const std::string& name) const { return wideFromUtf8(dir_.file(name)); }
    test::TempDir dir_;
};

struct ChooserCase {
    const char* name;
    bool folderMode;
    bool openMode;
    std::wstring description;
    std::wstring patterns;
    std::string initial;  // relative to the test folder; empty for none
    std::string choice;   // empty: cancel
    // What the chooser was asked.
    ModalKind kind;
    DWORD flags;
    Filters filters;
    int filterIndex;
    std::string initialDir;
    // The answer.
    bool chosen;
};

const Filters kAll = {{L"All (*.*)", L"*.*"}};
const Filters kCertificates = {{L"All (*.*)", L"*.*"}, {L"Certificates (*.cer;*.crt;)", L"*.cer;*.crt;"}};

class FileSystemChooser : public Choosers, public ::testing::WithParamInterface<ChooserCase> {};

TEST_P(FileSystemChooser, AskedAndAnswered) {
    const ChooserCase& c = GetParam();
    TFileSystemManagerDialog dialog;
    dialog.setTitle(L"Open - Orvanta Signature Plugin");
    dialog.folderMode = c.folderMode;
    dialog.openMode = c.openMode;
    std::wstring initial = c.initial.empty() ? std::wstring() : file(c.initial);
    dialog.setPath(initial);
    dialog.setFileFilter(c.description, c.patterns);
    ChooserRequest asked;
    win32::desktop::ScopedHandler handler([&](User& user) {
        asked = user.request();
        if (!c.choice.empty()) user.choose(file(c.choice));
    });
    EXPECT_EQ(c.chosen, dialog.run());
    EXPECT_EQ(c.chosen ? file(c.choice) : initial, dialog.path);
    EXPECT_EQ(c.kind, asked.kind);
    EXPECT_EQ(L"Open - Orvanta Signature Plugin", asked.title);
    EXPECT_EQ(c.initialDir.empty() ? std::wstring() : file(c.initialDir), asked.initialDir);
    if (c.kind != ModalKind::Folder) {
        EXPECT_EQ(c.flags, asked.flags);
        EXPECT_EQ(c.filters, asked.filters);
        EXPECT_EQ(c.filterIndex, asked.filterIndex);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileSystemChooser,
    ::testing::Values(
        ChooserCase{"open_existing", false, true, L"Certificates", L"cer;crt", "keys/old.cer", "keys/user.cer",
                    ModalKind::OpenFile, 0xA1824, kCertificates, 2, "keys", true},
        ChooserCase{"open_missing_is_refused", false, true, L"", L"cer", "", "keys/none.cer", ModalKind::OpenFile,
                    0xA1824, kAll, 1, "", false},
        ChooserCase{"save_new_name", false, false, L"Certificates", L"", "keys/user.cer", "keys/new.cer",
                    ModalKind::OpenFile, 0xA0024, kAll, 1, "keys", true},
        ChooserCase{"cancelled", false, true, L"Certificates", L"cer;crt", "keys/user.cer", "", ModalKind::OpenFile,
                    0xA1824, kCertificates, 2, "keys", false},
        ChooserCase{"missing_folder_keeps_the_path", false, true, L"", L"", "none/a.cer", "", ModalKind::OpenFile,
                    0xA1824, kAll, 1, "", false},
        ChooserCase{"folder", true, true, L"", L"", "keys/user.cer", "keys", ModalKind::Folder, 0, {}, 0, "keys",
                    true},
        ChooserCase{"folder_cancelled", true, true, L"", L"", "", "", ModalKind::Folder, 0, {}, 0, "", false}),
    [](const ::testing::TestParamInfo<ChooserCase>& info) { return info.param.name; });

TEST_F(Choosers, CertificateNamesFromAFolderWalk) {
    DravikTest_Reset();
    ASSERT_EQ(0, PKCS7Init(dir_.file("dravik").c_str(), 0));
    dir_.write("keys/sub.cer", "x");
    boost::filesystem::create_directories(dir_.path() / "keys" / "deeper");
    dir_.write("keys/deeper/ca.pem", "x");
    boost::filesystem::create_directories(dir_.path() / "empty");
    struct Case {
        std::string folder;
        bool walkDown;
        std::vector<std::string> names;
    } cases[] = {
        {"keys", false, {"keys/sub.cer", "keys/user.cer"}},
        {"keys", true, {"keys/deeper/ca.pem", "keys/sub.cer", "keys/user.cer"}},
        {"empty", true, {}},
        {"missing", false, {}},
    };
    for (const Case& c : cases) {
        TCertificatesList list;
        std::vector<std::string> expected;
        for (const std::string& name : c.names) expected.push_back(dir_.file(name));
        EXPECT_EQ(expected, *list.fill(dir_.file(c.folder), c.walkDown)) << c.folder;
    }
    TCertificatesList direct;
    CADB_by_dir(dir_.file("keys").c_str(), 64, &TCertificatesList::addCertificateCallback, &direct);
    EXPECT_EQ(2u, direct.names->size());
    EXPECT_EQ(1, TCertificatesList::addCertificateCallback("a", nullptr));
    EXPECT_EQ(1, TCertificatesList::addCertificateCallback(nullptr, &direct));
    EXPECT_EQ(2u, direct.names->size());
    DravikTest_Reset();
}

}  // namespace
}  // namespace widgets_test
