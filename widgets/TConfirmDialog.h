#pragma once
// A question with two buttons (retry or cancel, yes or no) under the
// question-mark icon. Enter answers as the first button, Escape as the
// second.
//
//   TConfirmDialog dialog;
//   dialog.setTitle(title);
//   dialog.setText(question);
//   dialog.setButtonText(1, L"Retry");
//   dialog.setButtonText(0, L"Cancel");
//   if (dialog.run() == 1) ...

#include "widgets/TButton.h"
#include "widgets/TDialog.h"
#include "widgets/TIcon.h"
#include "widgets/TStatic.h"

#include <memory>
#include <string>

class TConfirmDialog : public TDialog {
public:
    TConfirmDialog();
    ~TConfirmDialog() override;

    void setText(std::wstring text) { messageText = std::move(text); }
    void setTitle(std::wstring text) { title = std::move(text); }
    // 1 the first (affirmative) button, 0 the second; other values nothing.
    void setButtonText(int which, std::wstring text);
    void setResult(int value) { result = value; }
    // 1 for the first button; 0 for the second, or when the dialog could not be shown.
    int run(TWidget* parentWidget = nullptr);

    void initDialog() override;
    static bool onOk(TWidget* receiver, TWidget* target, TWindowEvent* event);
    static bool onCancel(TWidget* receiver, TWidget* target, TWindowEvent* event);
    static bool onDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event);

    std::unique_ptr<TIcon> icon;
    std::unique_ptr<TButton> okButton;
    std::unique_ptr<TButton> cancelButton;
    std::unique_ptr<TStatic> messageStatic;
    int width = 400;
    int height = 300;
    std::wstring title = L"Dialog";
    std::wstring messageText;
    std::wstring okText = L"Ok";
    std::wstring cancelText = L"Cancel";
    // 1 the first button, 0 the second, other values neither.
    int focusButton = -1;
    int result = 0;
};
