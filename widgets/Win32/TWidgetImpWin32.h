#pragma once
// The Win32 side of a widget: it creates or adopts a window, subclasses it,
// and turns its messages into TWindowEvents for the handler tables. One
// window procedure serves as the replacement procedure of every control and
// as the dialog procedure of every modal dialog.
//
// Operations answer false, 0 or null and do nothing when there is no window.

#include "widgets/TWidgetImp.h"

#include <win32/windows.h>

#include <cstdint>
#include <string>

class TObject;

class TWidgetImpWin32 : public TWidgetImp {
public:
    explicit TWidgetImpWin32(TWidget* served);
    // Detaches a live window and destroys it when it is owned.
    ~TWidgetImpWin32() override;

    // Creates the window (class "widgetsLib" when className is null) as a
    // child of the parent widget's live window, with the owner widget as
    // creation parameter and no control identifier, and subclasses it.
    // False when a live window exists already, without owner, or when the
    // window cannot be made.
    bool create(const wchar_t* className, const wchar_t* windowText, DWORD style, int x, int y,
                int width, int height, TWidget* parentWidget);
    // Binds an existing window; false when a registered widget has it already.
    bool attach(HWND window);
    // Puts the window's own procedure back and answers the window; null (and
    // nothing changed) when the procedure was never replaced.
    HWND detach();
    void destroy();
    // The window's procedure before the toolkit (or the dialog manager's own
    // handling); -1 when the window is gone.
    LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window when it is live.
    HWND getHwnd() const;
    // Fills a null class name with "widgetsLib"; true with an owner.
    bool preCreate(CREATESTRUCTW& create) const;

    virtual bool setSize(int width, int height);
    bool move(int x, int y);
    int getWidth() const;
    int getHeight() const;
    void setFocus();

    // The window's whole text.
    std::wstring windowText() const;
    // SendMessageW to the live window; 0 without one.
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Metrics of the window's font read from its window device context.
    bool textMetrics(TEXTMETRICW& metrics) const;
    // The font's height rounded to the nearest multiple of ten; 0 without window.
    int lineHeight() const;

    static TWidget* findByHwnd(HWND window);
    static TObject* findById(std::uint32_t id);
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Message translators: 0 handled, -1 for the default processing.
    LRESULT onDialogCommand(int key);
    LRESULT onKeyDown(int virtualKey);
    LRESULT onNotify(NMHDR* header);
    LRESULT onCommand(int notification, int id, HWND control);
    // A typed character on its way to the control; a field that refuses it
    // answers 0.
    virtual LRESULT onChar(wchar_t) { return -1; }
    LRESULT onCreate() const { return owner ? 0 : -2; }
    LRESULT onDestroy() const { return owner ? 0 : -1; }

    HWND hwnd = nullptr;
    HWND parentHwnd = nullptr;
    // The window is of the system dialog class "#32770".
    bool isDialog = false;
    bool ownsWindow = true;
    WNDPROC prevProc = nullptr;

private:
    int procIndex() const { return isDialog ? DWLP_DLGPROC : GWLP_WNDPROC; }
    void subclass();
    // A key or dialog-command event for the widget the key belongs to.
    LRESULT keyEvent(int code, int value);
};
