#pragma once
// Asks whether the page's site may use the plug-in, and whether to trust it
// from now on (the check box). Enter answers 1 (continue) and Escape 0
// whichever button has the focus.
//
//   TCheckSiteDialog dialog;
//   dialog.cancelText = ...; dialog.okText = ...; dialog.focusButton = 0;
//   dialog.title = ...; dialog.text = ...; dialog.checkBoxText = ...;
//   dialog.showModal(0, 0, dialog.width, dialog.height, nullptr, dialog.title);
//   if (dialog.result != 0 && dialog.rememberSite) ...

#include "widgets/TButton.h"
#include "widgets/TDialog.h"
#include "widgets/TIcon.h"
#include "widgets/TStatic.h"

#include <memory>
#include <string>

class TCheckSiteDialog : public TDialog {
public:
    TCheckSiteDialog();
    ~TCheckSiteDialog() override;

    int run(TWidget* unused = nullptr);
    void setTitle(std::wstring value) { title = std::move(value); }
    void setText(std::wstring value) { text = std::move(value); }
    void setCheckBoxText(std::wstring value) { checkBoxText = std::move(value); }
    // 1 the continue button, 0 Cancel; other values nothing.
    void setButtonText(int which, std::wstring value);
    // The flag only; the box on screen starts unticked.
    bool setRememberSite(bool value) { return rememberSite = value; }
    int setResult(int value) { return result = value; }

    void initDialog() override;
    static bool onOk(TWidget* receiver, TWidget* target, TWindowEvent* event);
    static bool onCancel(TWidget* receiver, TWidget* target, TWindowEvent* event);
    // The box's state after the click (the toolkit toggles it first).
    static bool onCheck(TWidget* receiver, TWidget* target, TWindowEvent* event);
    static bool onDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event);

    std::unique_ptr<TIcon> icon;
    std::unique_ptr<TButton> checkBox;
    std::unique_ptr<TButton> okButton;
    std::unique_ptr<TButton> cancelButton;
    std::unique_ptr<TStatic> textStatic;
    int width = 500;
    int height = 300;
    std::wstring title = L"Dialog";
    std::wstring text;
    std::wstring checkBoxText;
    // The box's state at its last click.
    bool rememberSite = false;
    std::wstring okText = L"Ok";
    std::wstring cancelText = L"Cancel";
    int focusButton = -1;
    int result = 0;
};
