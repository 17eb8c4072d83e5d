// showOpenDialog and showSaveDialog: which dialog each mode shows, what it
// is given, and what the page gets back.
#include "ApiFixture.h"

namespace velon_test {
namespace {

using win32::desktop::ModalKind;

struct DialogCase {
    const char* name;
    const char* method;
    int mode;
    PB::variant dir;          // "<dir>" stands for the test folder
    const char* choose;       // a name in the test folder; null: the dialog's own answer
    bool shown;
    ModalKind kind;
    const char* result;       // the path's name in the test folder, or "error: ..."
};

class FileDialogs : public ApiTest, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(FileDialogs, ModesDialogsAndResults)
{
    const DialogCase& c = GetParam();
    initialise();
    dir.write("exists.cer", "x");
    PB::variant start = c.dir;
    if (start.holds<std::string>() && start.cast<std::string>() == "<dir>")
        start = dir.file("exists.cer");
    bool shown = false;
    win32::desktop::ScopedHandler handler([&](User& user) {
        shown = true;
        EXPECT_EQ(c.kind, user.kind());
        EXPECT_EQ(L"Pick - Orvanta Signature Plugin", user.title());
        if (c.choose) {
            if (!user.choose(PB::utf8_to_wstring(dir.file(c.choose))))
                user.cancel();
        } else
            user.press(VK_RETURN);
    });
    const Outcome outcome = call(c.method, {c.mode, "Pick", start, "Certificates", "cer;crt"});
    const std::string result = c.result;
    EXPECT_EQ(result.compare(0, 7, "error: ") == 0 ? result : dir.file(result), outcome.text());
    EXPECT_EQ(c.shown, shown);
    const std::string dirText = start.holds<std::string>() ? start.cast<std::string>() : "*dir*";
    EXPECT_EQ(std::vector<std::string>{std::string("VelonAPI::") + c.method + "(" + std::to_string(c.mode) +
                                       ", Pick, " + dirText + ", Certificates, cer;crt)"},
              logged("TRACE", std::string("VelonAPI::") + c.method));
}

const char* const kCancelled = "error: Dialog canceled by user";

INSTANTIATE_TEST_SUITE_P(
    Modes, FileDialogs,
    ::testing::Values(
        DialogCase{"open_file", "showOpenDialog", 130, PB::PBNull(), "exists.cer", true, ModalKind::OpenFile, "exists.cer"},
        DialogCase{"open_missing_file", "showOpenDialog", 130, 5, "new.cer", true, ModalKind::OpenFile, kCancelled},
        DialogCase{"save_new_file", "showSaveDialog", 130, PB::variant(), "new \xd1\x84.cer", true,
                   ModalKind::OpenFile, "new \xd1\x84.cer"},
        DialogCase{"folder", "showOpenDialog", 129, PB::PBNull(), "", true, ModalKind::Folder, ""},
        DialogCase{"device_browser", "showOpenDialog", 2, "<dir>", nullptr, true, ModalKind::Dialog, "exists.cer"},
        DialogCase{"mode_3", "showOpenDialog", 3, PB::PBNull(), nullptr, false, ModalKind::Dialog, kCancelled},
        DialogCase{"mode_131", "showSaveDialog", 131, PB::PBNull(), nullptr, false, ModalKind::Dialog, kCancelled}),
    [](const ::testing::TestParamInfo<DialogCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velon_test
