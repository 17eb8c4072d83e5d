#pragma once
// A message with one button under an icon chosen by name. Every way of
// closing it (the button, Enter, Escape) answers 1.
//
//   TInfoDialog dialog;
//   dialog.setTitle(title);
//   dialog.setText(message);
//   dialog.run(nullptr, L"icon-error");

#include "widgets/TButton.h"
#include "widgets/TDialog.h"
#include "widgets/TIcon.h"
#include "widgets/TStatic.h"

#include <memory>
#include <string>

class TInfoDialog : public TDialog {
public:
    TInfoDialog();
    ~TInfoDialog() override;

    void setText(std::wstring text) { messageText = std::move(text); }
    void setTitle(std::wstring text) { title = std::move(text); }
    void setButtonText(std::wstring text) { buttonText = std::move(text); }
    // 1 once closed; 0 when the dialog could not be shown.
    int run(TWidget* parentWidget, std::wstring iconToShow);

    void initDialog() override;
    static bool onOk(TWidget* receiver, TWidget* target, TWindowEvent* event);
    static bool onDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event);

    std::unique_ptr<TIcon> icon;
    std::unique_ptr<TButton> button;
    std::unique_ptr<TStatic> messageStatic;
    int width = 400;
    int height = 300;
    std::wstring title = L"Dialog";
    std::wstring messageText;
    std::wstring buttonText = L"Ok";
    std::wstring iconName = L"icon-warning";
    int result = 0;
};
