#pragma once
// Asks for one password or PIN under the key icon. The caller fills the
// texts and the limit, runs it, and reads the password after OK.
//
//   TEnterPasswordDialog dialog;
//   dialog.focusButton = 1;
//   dialog.maxLength = size;
//   dialog.title = ...; dialog.labelText = ...; dialog.text = ...;
//   dialog.cancelText = ...;
//   dialog.showModal(0, 0, dialog.width, dialog.height, nullptr, dialog.title);  // or run()
//   if (dialog.result == 1) use(dialog.password);

#include "widgets/TButton.h"
#include "widgets/TDialog.h"
#include "widgets/TIcon.h"
#include "widgets/TPassword.h"
#include "widgets/TStatic.h"

#include <memory>
#include <string>

class TEnterPasswordDialog : public TDialog {
public:
    TEnterPasswordDialog();
    ~TEnterPasswordDialog() override;

    // Shows the dialog without parent; answers result.
    int run(TWidget* unused = nullptr);
    void setTitle(std::wstring value) { title = std::move(value); }
    void setText(std::wstring value) { text = std::move(value); }
    void setLabelText(std::wstring value) { labelText = std::move(value); }
    // Replaces the Cancel button's text; the number selects nothing.
    void setButtonText(int, std::wstring value) { cancelText = std::move(value); }
    int setResult(int value) { return result = value; }
    std::wstring getPassword() const { return password; }

    void initDialog() override;
    // Reads the field, result 1, ends unless the hook refuses.
    static bool onOk(TWidget* receiver, TWidget* target, TWindowEvent* event);
    // Result 0 without reading the field, ends unless the hook refuses.
    static bool onCancel(TWidget* receiver, TWidget* target, TWindowEvent* event);
    // Enter as OK, Escape as Cancel.
    static bool onDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event);
    void readPassword();

    std::unique_ptr<TIcon> icon;
    std::unique_ptr<TButton> okButton;
    std::unique_ptr<TButton> cancelButton;
    std::unique_ptr<TStatic> textStatic;   // second line
    std::unique_ptr<TStatic> labelStatic;  // first line
    std::unique_ptr<TPassword> passwordEdit;
    int width = 400;
    int height = 300;
    std::wstring title = L"Dialog";
    std::wstring text;
    std::wstring labelText = L"Label";
    std::wstring okText = L"Ok";
    std::wstring cancelText = L"Cancel";
    // The field's limit, in characters and in bytes of its UTF-8 form (the
    // callers hand in the size of the library's buffer); 0 for no limit.
    int maxLength = 0;
    int passwordLength = 0;
    std::wstring password;
    // 0 Cancel, 1 OK, other values none; the field takes the focus after it.
    int focusButton = -1;
    // 1 after OK or Enter, 0 after Cancel or Escape.
    int result = 0;
};
