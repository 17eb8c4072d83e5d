#pragma once
// Asks for a new password twice under the question-mark icon. The hook
// (TDialog::hook) sees both fields when the user confirms and may keep the
// dialog open, for instance when the two passwords differ.
//
//   TNewPasswordDialog dialog;
//   dialog.focusButton = 1;
//   dialog.maxLength = size;
//   dialog.hook = &checkPasswords;
//   dialog.title = ...; dialog.labelText = ...; dialog.text = ...;
//   dialog.confirmLabelText = ...; dialog.cancelText = ...;
//   if (dialog.run() == 1) use(dialog.password);

#include "widgets/TButton.h"
#include "widgets/TDialog.h"
#include "widgets/TIcon.h"
#include "widgets/TPassword.h"
#include "widgets/TStatic.h"

#include <memory>
#include <string>

class TNewPasswordDialog : public TDialog {
public:
    TNewPasswordDialog();
    ~TNewPasswordDialog() override;

    int run(TWidget* unused = nullptr);
    void setTitle(std::wstring value) { title = std::move(value); }
    void setText(std::wstring value) { text = std::move(value); }
    void setLabelText(std::wstring value) { labelText = std::move(value); }
    void setConfirmLabelText(std::wstring value) { confirmLabelText = std::move(value); }
    // Replaces the Cancel button's text; the number selects nothing.
    void setButtonText(int, std::wstring value) { cancelText = std::move(value); }
    int setResult(int value) { return result = value; }
    std::wstring getPassword() const { return password; }
    int getPasswordLength() const { return passwordLength; }
    std::wstring getConfirmPassword() const { return confirmPassword; }
    int getConfirmPasswordLength() const { return confirmPasswordLength; }

    void initDialog() override;
    static bool onOk(TWidget* receiver, TWidget* target, TWindowEvent* event);
    static bool onCancel(TWidget* receiver, TWidget* target, TWindowEvent* event);
    static bool onDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event);
    // Both fields, the first first.
    void readPasswords();

    std::unique_ptr<TIcon> icon;
    std::unique_ptr<TButton> okButton;
    std::unique_ptr<TButton> cancelButton;
    std::unique_ptr<TStatic> textStatic;
    std::unique_ptr<TStatic> labelStatic;
    std::unique_ptr<TStatic> confirmLabelStatic;
    std::unique_ptr<TPassword> passwordEdit;
    std::unique_ptr<TPassword> confirmPasswordEdit;
    int width = 400;
    int height = 300;
    std::wstring title = L"Dialog";
    std::wstring text;
    std::wstring labelText = L"Label";
    std::wstring confirmLabelText = L"Label";
    std::wstring okText = L"Ok";
    std::wstring cancelText = L"Cancel";
    // Both fields' limit, in characters and in bytes of their UTF-8 form (the
    // caller hands in the size of the library's buffer); 0 for no limit.
    int maxLength = 0;
    int passwordLength = 0;
    std::wstring password;
    int confirmPasswordLength = 0;
    std::wstring confirmPassword;
    int focusButton = -1;
    int result = 0;
};
