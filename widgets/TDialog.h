#pragma once
// The base of every modal dialog. A dialog is usually a local object of its
// caller: the constructor makes the child widgets (no windows yet), the
// caller sets texts and options, the concrete dialog's run calls showModal,
// initDialog lays the controls out when the dialog window is made, handlers
// end the dialog with a result, and the caller reads the result fields.

#include "widgets/TControl.h"

#include <memory>
#include <string>

class TApplication;
class TButton;
class TDialog;
class TDialogImpWin32;

// Asked before the dialog ends; false keeps it open.
using TDialogHook = bool (*)(TDialog* dialog);

class TDialog : public TControl {
public:
    // Makes the process's application when none exists.
    TDialog();
    // Deletes the application when this dialog made it.
    ~TDialog() override;

    // Shows the dialog modally on the calling thread, owned by the parent's
    // window or, without parent, by the foreground window. Answers the
    // EndDialog value, or -1 when the dialog cannot be shown.
    int showModal(int x, int y, int width, int height, TWidget* parentWidget, std::wstring title);
    // Called once per showing, when the dialog window is made.
    virtual void initDialog() {}
    // Ends the dialog with result unless the hook refuses.
    void endDialog(int result);

    TDialogImpWin32* dialogImp() const;

    TDialogHook hook = nullptr;
    bool ownsApplication = false;

protected:
    // The OK and Cancel buttons of a dialog, both 30 high on the row y: the
    // one with the longer caption is made first with its natural width, the
    // other takes that width; Cancel ends 15 pixels from the right edge and
    // OK stands 15 pixels to its left.
    static void placeOkCancel(TButton& ok, const std::wstring& okText, TButton& cancel,
                              const std::wstring& cancelText, int width, int y, TWidget* dialog);
    // Gives the focus to the button named by focusButton (0 Cancel, 1 OK, 2 third).
    static void focusChosenButton(int focusButton, TButton* ok, TButton* cancel, TButton* third = nullptr);

private:
    std::unique_ptr<TApplication> application_;
};

// A dialog command (Enter, Escape, closing) routed to the dialog's OK or
// Cancel handler; other commands are taken as handled.
bool routeDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event, WindowEventHandler onOk,
                        WindowEventHandler onCancel);

// The dialog a handler works for: the target itself (dialog commands), the
// target's parent (a control's click), or the receiver.
template <class Dialog>
Dialog* dialogOf(TWidget* receiver, TWidget* target) {
    if (auto* dialog = dynamic_cast<Dialog*>(target)) return dialog;
    if (target)
        if (auto* dialog = dynamic_cast<Dialog*>(target->parent)) return dialog;
    return dynamic_cast<Dialog*>(receiver);
}
