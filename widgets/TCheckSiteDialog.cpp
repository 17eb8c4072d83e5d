#include "widgets/TCheckSiteDialog.h"

#include "widgets/Win32/TDialogImpWin32.h"

TCheckSiteDialog::TCheckSiteDialog()
    : icon(std::make_unique<TIcon>()),
      checkBox(std::make_unique<TButton>()),
      okButton(std::make_unique<TButton>()),
      cancelButton(std::make_unique<TButton>()),
      textStatic(std::make_unique<TStatic>()) {}

TCheckSiteDialog::~TCheckSiteDialog() = default;

void TCheckSiteDialog::setButtonText(int which, std::wstring value) {
    if (which == 1) okText = std::move(value);
    if (which == 0) cancelText = std::move(value);
}

int TCheckSiteDialog::run(TWidget*) {
    showModal(0, 0, width, height, nullptr, title);
    return result;
}

void TCheckSiteDialog::initDialog() {
    icon->setIcon(15, 15, L"icon-warning", this);
    int x0 = icon->getWidth() + 30;
    int available = width - x0 - 15;
    // The message wraps within the width: a long site name makes the dialog taller, not wider.
    textStatic->create(x0, 15, available, text, this);
    width = x0 + textStatic->getWidth() + 15;
    int y = textStatic->getHeight() + 30;
    checkBox->createCheckBox(checkBoxText, 15, y, this);
    checkBox->addHandler(eventClicked, &TCheckSiteDialog::onCheck);
    y += checkBox->getHeight() + 15;
    placeOkCancel(*okButton, okText, *cancelButton, cancelText, width, y, this);
    okButton->addHandler(eventClicked, &TCheckSiteDialog::onOk);
    cancelButton->addHandler(eventClicked, &TCheckSiteDialog::onCancel);
    height = y + 15 + okButton->getHeight();
    dialogImp()->setClientSize(width, height);
    focusChosenButton(focusButton, okButton.get(), cancelButton.get());
    addHandler(eventDialogCommand, &TCheckSiteDialog::onDialogCommand);
}

bool TCheckSiteDialog::onOk(TWidget* receiver, TWidget* target, TWindowEvent*) {
    if (auto* dialog = dialogOf<TCheckSiteDialog>(receiver, target)) {
        dialog->result = 1;
        dialog->endDialog(1);
    }
    return true;
}

bool TCheckSiteDialog::onCancel(TWidget* receiver, TWidget* target, TWindowEvent*) {
    if (auto* dialog = dialogOf<TCheckSiteDialog>(receiver, target)) {
        dialog->result = 0;
        dialog->endDialog(0);
    }
    return true;
}

bool TCheckSiteDialog::onCheck(TWidget* receiver, TWidget* target, TWindowEvent*) {
    if (auto* dialog = dialogOf<TCheckSiteDialog>(receiver, target))
        dialog->rememberSite = dialog->checkBox->isChecked() != 0;
    return true;
}

bool TCheckSiteDialog::onDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event) {
    return routeDialogCommand(receiver, target, event, &TCheckSiteDialog::onOk, &TCheckSiteDialog::onCancel);
}
