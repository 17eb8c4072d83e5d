#pragma once
// The Win32 side of a dialog: an in-memory template without items, shown
// with DialogBoxIndirectParamW; the controls are child windows made by
// initDialog in pixels.

#include "widgets/Win32/TWidgetImpWin32.h"

class TDialogImpWin32 : public TWidgetImpWin32 {
public:
    using TWidgetImpWin32::TWidgetImpWin32;

    // Gives the client area this size; the top-left corner stays.
    bool setClientSize(int width, int height);
    bool setSize(int width, int height) override { return setClientSize(width, height); }
    bool close();
    bool endDialog(int result);
    // Shows this implementation's dialog as TDialog::showModal does, without
    // touching the widget; the title is copied when given.
    INT_PTR showModal(const wchar_t* title, int x, int y, int width, int height, TWidget* parentWidget);

    // The template (pixels converted to dialog units) and the dialog box call.
    INT_PTR runModal(int x, int y, int width, int height, HWND owner, LPARAM initParam);
};
