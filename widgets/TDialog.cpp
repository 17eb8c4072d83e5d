#include "widgets/TDialog.h"

#include "widgets/TApplication.h"
#include "widgets/TButton.h"
#include "widgets/TWindowList.h"
#include "widgets/Win32/TApplicationImpWin32.h"
#include "widgets/Win32/TDialogImpWin32.h"

TDialog::TDialog() {
    imp = std::make_unique<TDialogImpWin32>(this);
    if (!TApplication::current()) {
        application_ = std::make_unique<TApplication>(std::make_unique<TApplicationImpWin32>());
        TApplication::setCurrent(application_.get());
        ownsApplication = true;
    }
}

TDialog::~TDialog() {
    objectListRemove(this);
    imp.reset();
    if (ownsApplication && application_) {
        if (TApplication::current() == application_.get()) TApplication::setCurrent(nullptr);
        application_.reset();
    }
}

TDialogImpWin32* TDialog::dialogImp() const { return dynamic_cast<TDialogImpWin32*>(imp.get()); }

int TDialog::showModal(int x, int y, int width, int height, TWidget* parentWidget, std::wstring title) {
    TDialogImpWin32* platform = dialogImp();
    if (!platform) return -1;
    parent = parentWidget;
    setKind(kindModalDialog, typeDialog);
    HWND owner = nullptr;
    if (parentWidget) {
        TWidgetImpWin32* parentImp = parentWidget->win32();
        owner = parentImp ? parentImp->getHwnd() : nullptr;
    } else {
        owner = GetForegroundWindow();
    }
    platform->parentHwnd = owner;
    platform->text = std::move(title);
    return platform->runModal(x, y, width, height, owner, reinterpret_cast<LPARAM>(static_cast<TObject*>(this)));
}

void TDialog::endDialog(int result) {
    TDialogImpWin32* platform = dialogImp();
    if (!platform) return;
    if (hook && !hook(this)) return;
    platform->endDialog(result);
}

void TDialog::placeOkCancel(TButton& ok, const std::wstring& okText, TButton& cancel,
                            const std::wstring& cancelText, int width, int y, TWidget* dialog) {
    const int height = 30;
    bool okFirst = okText.size() > cancelText.size();
    TButton& first = okFirst ? ok : cancel;
    TButton& second = okFirst ? cancel : ok;
    first.create(okFirst ? okText : cancelText, width / 2, y, 0, height, dialog);
    int buttonWidth = first.getWidth();
    int cancelX = width - buttonWidth - 15;
    int okX = width - 2 * buttonWidth - 30;
    second.create(okFirst ? cancelText : okText, okFirst ? cancelX : okX, y, buttonWidth, height, dialog);
    first.move(okFirst ? okX : cancelX, y);
}

void TDialog::focusChosenButton(int focusButton, TButton* ok, TButton* cancel, TButton* third) {
    TButton* chosen = focusButton == 0 ? cancel : focusButton == 1 ? ok : focusButton == 2 ? third : nullptr;
    if (chosen) chosen->setFocus();
}

bool routeDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event, WindowEventHandler onOk,
                        WindowEventHandler onCancel) {
    if (!event) return false;
    if (event->param1 == commandOk && onOk) return onOk(receiver, target, event);
    if (event->param1 == commandCancel && onCancel) return onCancel(receiver, target, event);
    return true;
}
