#include "widgets/TConfirmDialog.h"

#include "widgets/Win32/TDialogImpWin32.h"

TConfirmDialog::TConfirmDialog()
    : icon(std::make_unique<TIcon>()),
      okButton(std::make_unique<TButton>()),
      cancelButton(std::make_unique<TButton>()),
      messageStatic(std::make_unique<TStatic>()) {}

TConfirmDialog::~TConfirmDialog() = default;

void TConfirmDialog::setButtonText(int which, std::wstring text) {
    if (which == 1) okText = std::move(text);
    if (which == 0) cancelText = std::move(text);
}

int TConfirmDialog::run(TWidget* parentWidget) {
    showModal(0, 0, width, height, parentWidget, title);
    return result;
}

void TConfirmDialog::initDialog() {
    icon->setIcon(15, 15, L"icon-request", this);
    int textX = icon->getWidth() + 30;
    messageStatic->create(textX, 15, width - textX - 15, messageText, this);
    int textHeight = messageStatic->getHeight();
    width = textX + messageStatic->getWidth() + 15;
    int buttonY = textHeight + 30;
    placeOkCancel(*okButton, okText, *cancelButton, cancelText, width, buttonY, this);
    okButton->addHandler(eventClicked, &TConfirmDialog::onOk);
    cancelButton->addHandler(eventClicked, &TConfirmDialog::onCancel);
    height = buttonY + 15 + okButton->getHeight();
    dialogImp()->setClientSize(width, height);
    focusChosenButton(focusButton, okButton.get(), cancelButton.get());
    addHandler(eventDialogCommand, &TConfirmDialog::onDialogCommand);
}

bool TConfirmDialog::onOk(TWidget* receiver, TWidget* target, TWindowEvent*) {
    if (auto* dialog = dialogOf<TConfirmDialog>(receiver, target)) {
        dialog->result = 1;
        dialog->endDialog(1);
    }
    return true;
}

bool TConfirmDialog::onCancel(TWidget* receiver, TWidget* target, TWindowEvent*) {
    if (auto* dialog = dialogOf<TConfirmDialog>(receiver, target)) {
        dialog->result = 0;
        dialog->endDialog(0);
    }
    return true;
}

bool TConfirmDialog::onDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event) {
    return routeDialogCommand(receiver, target, event, &TConfirmDialog::onOk, &TConfirmDialog::onCancel);
}
