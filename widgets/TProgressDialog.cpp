#include "widgets/TProgressDialog.h"

#include "widgets/Win32/TDialogImpWin32.h"

#include <algorithm>
#include <cmath>

namespace {

const auto kInputGap = std::chrono::milliseconds(101);
const std::size_t kRememberedKeys = 10;

}  // namespace

TProgressDialog::TProgressDialog()
    : icon(std::make_unique<TIcon>()),
      cancelButton(std::make_unique<TButton>()),
      messageStatic(std::make_unique<TStatic>()),
      bar(std::make_unique<TProgressIndicator>()) {}

TProgressDialog::~TProgressDialog() = default;

int TProgressDialog::run(TWidget* parentWidget) {
    showModal(0, 0, width, height, parentWidget, title);
    return result;
}

void TProgressDialog::step() {
    bar->setStep(inputCounter);
    ++inputCounter;
}

bool TProgressDialog::acceptInput(int a, int b, int kind, Clock::time_point now) {
    if (std::chrono::duration_cast<std::chrono::milliseconds>(now - lastCounted) < kInputGap) return false;
    bool accepted = false;
    switch (kind) {
        case inputKey:
            accepted = acceptKey(a);
            break;
        case inputQuarterMove:
            accepted = acceptMoveQuarter(a, b);
            break;
        case inputHalfMove:
            accepted = acceptMoveHalf(a, b);
            break;
        default:
            break;
    }
    if (accepted) lastCounted = now;
    return accepted;
}

bool TProgressDialog::acceptKey(int key) {
    if (std::find(lastKeys.begin(), lastKeys.end(), key) != lastKeys.end()) return false;
    lastKeys.push_back(key);
    if (lastKeys.size() > kRememberedKeys) lastKeys.pop_front();
    return true;
}

bool TProgressDialog::acceptMove(int x, int y, int factor) {
    travelled += static_cast<std::int32_t>(std::lround(std::hypot(x - lastX, y - lastY)));
    lastX = x;
    lastY = y;
    long diagonal = std::lround(std::sqrt(static_cast<double>(width) * width + static_cast<double>(height) * height));
    if (static_cast<long>(factor) * travelled <= diagonal) return false;
    travelled = 0;
    return true;
}

void TProgressDialog::initDialog() {
    icon->setIcon(15, 15, L"icon-info", this);
    int x0 = icon->getWidth() + 30;
    messageStatic->create(x0, 15, width - x0 - 15, messageText, this);
    int y = messageStatic->getHeight() + 30;
    bar->create(15, y, width - 30, this);
    bar->setRange(static_cast<std::uint16_t>(rangeMinimum), static_cast<std::uint16_t>(rangeMaximum));
    bar->setStep(inputCounter);
    int buttonY = messageStatic->getHeight() + 45 + bar->getHeight();
    cancelButton->create(buttonText, width / 2, buttonY, 0, 30, this);
    cancelButton->move(width - cancelButton->getWidth() - 15, buttonY);
    height = buttonY + cancelButton->getHeight() + 15;
    dialogImp()->setClientSize(width, height);
    addHandler(inputHalfMove, &TProgressDialog::onInput6);
    addHandler(inputQuarterMove, &TProgressDialog::onInput7);
    addHandler(eventKeyPressed, &TProgressDialog::onKey);
    addHandler(eventDialogCommand, &TProgressDialog::onDialogCommand);
    cancelButton->addHandler(eventClicked, &TProgressDialog::onCancel);
    setFocus();
}

bool TProgressDialog::onInput(TWidget* receiver, TWidget* target, TWindowEvent* event, int kind) {
    if (!event) return false;
    auto* dialog = dialogOf<TProgressDialog>(receiver, target);
    int a = static_cast<int>(event->param1);
    int b = kind == inputKey ? 0 : static_cast<int>(event->param2);
    if (dialog && dialog->acceptInput(a, b, kind, Clock::now())) dialog->step();
    return true;
}

bool TProgressDialog::onKey(TWidget* receiver, TWidget* target, TWindowEvent* event) {
    return onInput(receiver, target, event, inputKey);
}

bool TProgressDialog::onInput7(TWidget* receiver, TWidget* target, TWindowEvent* event) {
    return onInput(receiver, target, event, inputQuarterMove);
}

bool TProgressDialog::onInput6(TWidget* receiver, TWidget* target, TWindowEvent* event) {
    return onInput(receiver, target, event, inputHalfMove);
}

bool TProgressDialog::onCancel(TWidget* receiver, TWidget* target, TWindowEvent* event) {
    if (!event) return false;
    if (auto* dialog = dialogOf<TProgressDialog>(receiver, target)) {
        dialog->result = 0;
        dialog->endDialog(0);
    }
    return true;
}

bool TProgressDialog::onDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event) {
    return routeDialogCommand(receiver, target, event, nullptr, &TProgressDialog::onCancel);
}
