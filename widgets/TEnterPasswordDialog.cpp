#include "widgets/TEnterPasswordDialog.h"

#include "widgets/Win32/TDialogImpWin32.h"

#include <algorithm>

TEnterPasswordDialog::TEnterPasswordDialog()
    : icon(std::make_unique<TIcon>()),
      okButton(std::make_unique<TButton>()),
      cancelButton(std::make_unique<TButton>()),
      textStatic(std::make_unique<TStatic>()),
      labelStatic(std::make_unique<TStatic>()),
      passwordEdit(std::make_unique<TPassword>()) {}

TEnterPasswordDialog::~TEnterPasswordDialog() = default;

int TEnterPasswordDialog::run(TWidget*) {
    showModal(0, 0, width, height, nullptr, title);
    return result;
}

void TEnterPasswordDialog::initDialog() {
    icon->setIcon(15, 15, L"icon-key", this);
    int x0 = icon->getWidth() + 30;
    int available = width - x0 - 15;
    labelStatic->create(x0, 15, 0, labelText, this);
    width = std::max(available, labelStatic->getWidth());
    int y = labelStatic->getHeight() + 30;
    textStatic->create(x0, y, 0, text, this);
    width = std::max(width, textStatic->getWidth());
    y += textStatic->getHeight() + 15;
    passwordEdit->create(L"", x0, y, available, this);
    if (maxLength > 0) {
        passwordEdit->setMaxLength(maxLength);
        passwordEdit->setMaxBytes(maxLength);
    }
    y += passwordEdit->getHeight() + 15;
    width += x0 + 15;
    placeOkCancel(*okButton, okText, *cancelButton, cancelText, width, y, this);
    okButton->addHandler(eventClicked, &TEnterPasswordDialog::onOk);
    cancelButton->addHandler(eventClicked, &TEnterPasswordDialog::onCancel);
    height = y + 15 + okButton->getHeight();
    dialogImp()->setClientSize(width, height);
    focusChosenButton(focusButton, okButton.get(), cancelButton.get());
    addHandler(eventDialogCommand, &TEnterPasswordDialog::onDialogCommand);
    passwordEdit->setFocus();
}

void TEnterPasswordDialog::readPassword() {
    passwordLength = passwordEdit->getTextLength();
    password = passwordEdit->getText();
}

bool TEnterPasswordDialog::onOk(TWidget* receiver, TWidget* target, TWindowEvent*) {
    if (auto* dialog = dialogOf<TEnterPasswordDialog>(receiver, target)) {
        dialog->readPassword();
        dialog->result = 1;
        dialog->endDialog(1);
    }
    return true;
}

bool TEnterPasswordDialog::onCancel(TWidget* receiver, TWidget* target, TWindowEvent*) {
    if (auto* dialog = dialogOf<TEnterPasswordDialog>(receiver, target)) {
        dialog->result = 0;
        dialog->endDialog(0);
    }
    return true;
}

bool TEnterPasswordDialog::onDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event) {
    return routeDialogCommand(receiver, target, event, &TEnterPasswordDialog::onOk, &TEnterPasswordDialog::onCancel);
}
