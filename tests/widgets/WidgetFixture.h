// Shared frame of the toolkit's tests: a clean desktop per test, the check
// that no widget and no application outlive a test, and a dialog whose
// layout a test writes.
#pragma once

#include "widgets/TApplication.h"
#include "widgets/TDialog.h"
#include "widgets/TWindowList.h"
#include "widgets/Win32/TWidgetImpWin32.h"

#include <win32/desktop.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace widgets_test {

using win32::desktop::Control;
using win32::desktop::User;

class WidgetTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override {
        reset();
        EXPECT_EQ(nullptr, objectListHead()) << "a widget outlived its test";
        EXPECT_EQ(nullptr, TApplication::current()) << "the application outlived its dialogs";
    }
    static void reset() {
        win32::desktop::setHandler(nullptr);
        win32::desktop::clearAnswers();
        win32::desktop::clearJournal();
        win32::desktop::releaseKeys();
        win32::desktop::setSettings(win32::desktop::Settings{});
    }
    static std::size_t journalCount(const std::string& name, const std::string& detail = std::string()) {
        return win32::desktop::journal(name, detail).size();
    }
};

// A dialog whose controls the test makes in initDialog.
class HostDialog : public TDialog {
public:
    std::function<void(HostDialog&)> build;
    void initDialog() override {
        if (build) build(*this);
    }
    int show(TWidget* parentWidget = nullptr) { return showModal(0, 0, 400, 300, parentWidget, L"Host"); }
};

// A rectangle relative to the dialog's client area.
inline RECT placeOf(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

inline RECT clientOf(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

}  // namespace widgets_test
