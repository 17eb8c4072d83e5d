#include "widgets/TInfoDialog.h"

#include "widgets/Win32/TDialogImpWin32.h"

TInfoDialog::TInfoDialog()
    : icon(std::make_unique<TIcon>()), button(std::make_unique<TButton>()), messageStatic(std::make_unique<TStatic>()) {}

TInfoDialog::~TInfoDialog() = default;

int TInfoDialog::run(TWidget* parentWidget, std::wstring iconToShow) {
    iconName = std::move(iconToShow);
    showModal(0, 0, width, height, parentWidget, title);
    return result;
}

void TInfoDialog::initDialog() {
    icon->setIcon(15, 15, iconName, this);
    int textX = icon->getWidth() + 30;
    // One line as wide as the message: the dialog widens rather than wraps.
    messageStatic->create(textX, 15, 0, messageText, this);
    int textHeight = messageStatic->getHeight();
    width = messageStatic->getWidth() + textX + 15;
    int buttonY = textHeight + 30;
    button->create(buttonText, width / 2, buttonY, 0, 30, this);
    button->addHandler(eventClicked, &TInfoDialog::onOk);
    button->move(width - button->getWidth() - 15, buttonY);
    height = buttonY + 15 + button->getHeight();
    dialogImp()->setClientSize(width, height);
    addHandler(eventDialogCommand, &TInfoDialog::onDialogCommand);
    button->setFocus();
}

bool TInfoDialog::onOk(TWidget* receiver, TWidget* target, TWindowEvent*) {
    if (auto* dialog = dialogOf<TInfoDialog>(receiver, target)) {
        dialog->result = 1;
        dialog->endDialog(1);
    }
    return true;
}

bool TInfoDialog::onDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event) {
    return routeDialogCommand(receiver, target, event, &TInfoDialog::onOk, &TInfoDialog::onOk);
}
