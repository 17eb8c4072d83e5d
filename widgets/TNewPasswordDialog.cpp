#include "widgets/TNewPasswordDialog.h"

#include "widgets/Win32/TDialogImpWin32.h"

#include <algorithm>

TNewPasswordDialog::TNewPasswordDialog()
    : icon(std::make_unique<TIcon>()),
      okButton(std::make_unique<TButton>()),
      cancelButton(std::make_unique<TButton>()),
      textStatic(std::make_unique<TStatic>()),
      labelStatic(std::make_unique<TStatic>()),
      confirmLabelStatic(std::make_unique<TStatic>()),
      passwordEdit(std::make_unique<TPassword>()),
      confirmPasswordEdit(std::make_unique<TPassword>()) {}

TNewPasswordDialog::~TNewPasswordDialog() = default;

int TNewPasswordDialog::run(TWidget*) {
    showModal(0, 0, width, height, nullptr, title);
    return result;
}

void TNewPasswordDialog::initDialog() {
    icon->setIcon(15, 15, L"icon-request", this);
    int x0 = icon->getWidth() + 30;
    int available = width - x0 - 15;
    labelStatic->create(x0, 15, 0, labelText, this);
    width = std::max(available, labelStatic->getWidth());
    int y = labelStatic->getHeight() + 30;
    textStatic->create(x0, y, 0, text, this);
    width = std::max(width, textStatic->getWidth());
    y += textStatic->getHeight() + 15;
    int firstFieldY = y;
    passwordEdit->create(L"", x0, y, available, this);
    y += passwordEdit->getHeight() + 15;
    confirmLabelStatic->create(x0, y, available, confirmLabelText, this);
    y += confirmLabelStatic->getHeight() + 15;
    confirmPasswordEdit->create(L"", x0, y, available, this);
    y += confirmPasswordEdit->getHeight() + 15;
    width += x0 + 15;
    passwordEdit->move(x0, firstFieldY);
    if (maxLength > 0) {
        passwordEdit->setMaxLength(maxLength);
        passwordEdit->setMaxBytes(maxLength);
        confirmPasswordEdit->setMaxLength(maxLength);
        confirmPasswordEdit->setMaxBytes(maxLength);
    }
    placeOkCancel(*okButton, okText, *cancelButton, cancelText, width, y, this);
    okButton->addHandler(eventClicked, &TNewPasswordDialog::onOk);
    cancelButton->addHandler(eventClicked, &TNewPasswordDialog::onCancel);
    height = y + 15 + okButton->getHeight();
    dialogImp()->setClientSize(width, height);
    focusChosenButton(focusButton, okButton.get(), cancelButton.get());
    addHandler(eventDialogCommand, &TNewPasswordDialog::onDialogCommand);
    passwordEdit->setFocus();
}

void TNewPasswordDialog::readPasswords() {
    passwordLength = passwordEdit->getTextLength();
    password = passwordEdit->getText();
    confirmPasswordLength = confirmPasswordEdit->getTextLength();
    confirmPassword = confirmPasswordEdit->getText();
}

bool TNewPasswordDialog::onOk(TWidget* receiver, TWidget* target, TWindowEvent*) {
    if (auto* dialog = dialogOf<TNewPasswordDialog>(receiver, target)) {
        dialog->readPasswords();
        dialog->result = 1;
        dialog->endDialog(1);
    }
    return true;
}

bool TNewPasswordDialog::onCancel(TWidget* receiver, TWidget* target, TWindowEvent*) {
    if (auto* dialog = dialogOf<TNewPasswordDialog>(receiver, target)) {
        dialog->result = 0;
        dialog->endDialog(0);
    }
    return true;
}

bool TNewPasswordDialog::onDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event) {
    return routeDialogCommand(receiver, target, event, &TNewPasswordDialog::onOk, &TNewPasswordDialog::onCancel);
}
