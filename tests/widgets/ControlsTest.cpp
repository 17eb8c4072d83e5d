// Controls made inside a dialog: sizes, pictures, texts, and how the window
// procedure turns messages into events.
#include "WidgetFixture.h"

#include "widgets/TButton.h"
#include "widgets/TComboBox.h"
#include "widgets/TEdit.h"
#include "widgets/TIcon.h"
#include "widgets/TListView.h"
#include "widgets/TStatic.h"
#include "widgets/TTreeView.h"
#include "widgets/Win32/TApplicationImpWin32.h"
#include "widgets/Win32/TListViewImpWin32.h"
#include "widgets/Win32/TTreeViewImpWin32.h"

namespace widgets_test {
namespace {

HWND hwndOf(const TWidget& widget) { return widget.win32() ? widget.win32()->getHwnd() : nullptr; }

struct SizeCase {
    const wchar_t* text;
    int width;
    int height;
    bool checkBox;
    int wantWidth;
    int wantHeight;
};

// The system font is 8 pixels wide and 16 high: a line is 20 pixels.
const SizeCase kButtonSizes[] = {
    {L"Cancel", 0, 30, false, (6 + 4) * 8, 30},
    {L"Ok", 0, 0, false, (2 + 4) * 8, 20},
    {L"Go", 50, 25, false, 50, 25},
    {L"Remember", 0, 0, true, (8 + 7) * 8, 20},
};

TEST_F(WidgetTest, ControlsMeasureThemselves) {
    HostDialog host;
    host.build = [](HostDialog& dialog) {
        for (const SizeCase& c : kButtonSizes) {
            TButton button;
            ASSERT_TRUE(c.checkBox ? button.createCheckBox(c.text, 5, 6, &dialog)
                                   : button.create(c.text, 5, 6, c.width, c.height, &dialog));
            RECT place = placeOf(hwndOf(button));
            EXPECT_EQ(5 + c.wantWidth, place.right) << c.text;
            EXPECT_EQ(6 + c.wantHeight, place.bottom) << c.text;
            EXPECT_EQ(c.checkBox ? typeCheckBox : typePushButton, button.subkind);
            EXPECT_EQ(&dialog, button.parent);
        }
        TStatic natural, wrapped;
        ASSERT_TRUE(natural.create(0, 0, 0, L"Hello\nall", &dialog));
        EXPECT_EQ(5 * 8, natural.getWidth());
        EXPECT_EQ(2 * 16, natural.getHeight());
        ASSERT_TRUE(wrapped.create(0, 0, 80, L"one two three four five", &dialog));
        EXPECT_EQ(80, wrapped.getWidth());
        EXPECT_EQ(3 * 16, wrapped.getHeight());

        TComboBox combo;
        ASSERT_TRUE(combo.create(0, 0, 100, &dialog));
        for (int i = 0; i < 3; ++i) combo.addItem(10 + i, L"entry " + std::to_wstring(i));
        EXPECT_EQ(2, SendMessageW(hwndOf(combo), CB_GETCURSEL, 0, 0));
        EXPECT_EQ(12, SendMessageW(hwndOf(combo), CB_GETITEMDATA, 2, 0));

        TEdit edit;
        ASSERT_TRUE(edit.create(L"", 0, 0, 100, &dialog));
        EXPECT_EQ(L"", edit.getText());
        std::wstring longPath = L"/" + std::wstring(299, L'x');
        edit.setText(longPath);
        EXPECT_EQ(longPath, edit.getText());  // a long path comes back whole
        EXPECT_EQ(20, edit.getHeight());
    };
    host.show();
}

TEST_F(WidgetTest, IconsByExactNameAndImageLists) {
    HostDialog host;
    host.build = [](HostDialog& dialog) {
        struct Case {
            const wchar_t* name;
            bool known;
        } cases[] = {{L"icon-key", true}, {L"icon-error", true}, {L"icon-info", true},
                     {L"Icon-Error", false}, {L"icon-errors", false}, {L"", false}};
        for (const Case& c : cases) {
            TIcon icon;
            EXPECT_EQ(c.known, icon.setIcon(100, 100, c.name, &dialog)) << c.name;
            RECT place = placeOf(hwndOf(icon));
            EXPECT_EQ(15, place.left);
            EXPECT_EQ(15, place.top);
            EXPECT_EQ(c.known ? 32 : 0, icon.getWidth()) << c.name;
        }
        TListView list;
        ASSERT_TRUE(list.create(100, 40, 10, 10, &dialog));
        RECT place = placeOf(hwndOf(list));
        EXPECT_EQ((std::vector<LONG>{15, 40, 165, 340}),
                  (std::vector<LONG>{place.left, place.top, place.right, place.bottom}));
        EXPECT_EQ(7, ImageList_GetImageCount(list.listImp()->imageList));
        EXPECT_TRUE(list.addItem(5, L"File system", 6));
        EXPECT_EQ(1, list.listImp()->getItemCount());
        TTreeView tree;
        ASSERT_TRUE(tree.create(0, 0, 100, 100, &dialog));
        EXPECT_EQ(12, ImageList_GetImageCount(tree.treeImp()->imageList));
    };
    host.show();
    TButton orphan;
    EXPECT_FALSE(orphan.create(L"Ok", 0, 0, 0, 0, nullptr));  // no parent, no window
    EXPECT_EQ(0, orphan.isChecked());
}

// Handlers the window-procedure test registers.
int clicks = 0;
bool boxTickedAtClick = false;
int editEvents = 0;
bool onBoxClick(TWidget*, TWidget* target, TWindowEvent*) {
    ++clicks;
    boxTickedAtClick = static_cast<TButton*>(target)->isChecked() != 0;
    return true;
}
bool onAnyEditEvent(TWidget*, TWidget*, TWindowEvent*) {
    ++editEvents;
    return true;
}

TEST_F(WidgetTest, WindowProcedureRoutesEvents) {
    clicks = 0;
    editEvents = 0;
    HostDialog host;
    TButton box;
    TEdit edit;
    host.build = [&](HostDialog& dialog) {
        box.createCheckBox(L"Remember", 15, 15, &dialog);
        box.addHandler(eventClicked, &onBoxClick);
        edit.create(L"", 15, 50, 200, &dialog);
        edit.addHandler(EN_CHANGE, &onAnyEditEvent);  // edit notifications make no events
    };
    std::wstring typed;
    bool stillOpen = false;
    win32::desktop::ScopedHandler handler([&](User& user) {
        EXPECT_TRUE(user.check(Control::byText(L"Remember")));
        user.type(Control::byClass(L"EDIT"), L"abc");
        user.clear(Control::byClass(L"EDIT"));  // the Delete key is consumed by the toolkit; characters are not
        typed = edit.getText();
        user.press(VK_RETURN);  // no code-17 handler: the dialog stays open
        stillOpen = user.isOpen();
    });
    EXPECT_EQ(IDCANCEL, host.show());  // nobody closes it: the desktop ends it
    EXPECT_EQ(1, clicks);
    EXPECT_TRUE(boxTickedAtClick);
    EXPECT_EQ(0, editEvents);
    EXPECT_EQ(L"abc", typed);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(1u, journalCount("modal.forced", "Host"));
    EXPECT_EQ(kindModalDialog, host.kind);
    EXPECT_EQ(nullptr, hwndOf(box));  // the windows went with the dialog
}

TEST_F(WidgetTest, AttachAndDetachAndTheApplicationLoop) {
    HostDialog host;
    host.build = [](HostDialog& dialog) {
        TButton button;
        button.create(L"Ok", 0, 0, 0, 0, &dialog);
        TWidgetImpWin32 other(&button);
        EXPECT_FALSE(other.attach(button.win32()->getHwnd()));  // bound to a listed widget already
        EXPECT_EQ(nullptr, other.detach());                    // nothing was replaced
        EXPECT_EQ(&button, TWidgetImpWin32::findByHwnd(button.win32()->getHwnd()));
        EXPECT_EQ(&button, TWidgetImpWin32::findById(button.id));
    };
    host.show();

    TApplicationImpWin32 application;
    EXPECT_TRUE(application.registerClass());
    EXPECT_FALSE(application.registerClass());  // once per process
    PostMessageW(nullptr, WM_USER, 0, 0);       // a thread message: skipped
    PostQuitMessage(7);
    EXPECT_EQ(7, application.run());
    UnregisterClassW(L"widgetsLib", application.instance);
}

}  // namespace
}  // namespace widgets_test
