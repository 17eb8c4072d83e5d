#include "widgets/TProgressIndicator.h"

#include "widgets/Win32/TProgressIndicatorImpWin32.h"

namespace {

const DWORD kProgressStyle = 0x50800000;  // WS_CHILD, WS_VISIBLE, WS_BORDER

}  // namespace

TProgressIndicator::TProgressIndicator() { imp = std::make_unique<TProgressIndicatorImpWin32>(this); }

bool TProgressIndicator::create(int, int y, int width, TWidget* parentWidget) {
    InitCommonControls();
    return createWindow(PROGRESS_CLASSW, L"", kProgressStyle, 15, y, width, GetSystemMetrics(SM_CYVSCROLL),
                        parentWidget, typeProgressBar);
}

void TProgressIndicator::setRange(std::uint16_t minimum, std::uint16_t maximum) {
    if (TWidgetImpWin32* platform = win32()) platform->send(PBM_SETRANGE, 0, MAKELPARAM(minimum, maximum));
}

void TProgressIndicator::setStep(int step) {
    if (TWidgetImpWin32* platform = win32()) platform->send(PBM_SETSTEP, static_cast<WPARAM>(step));
}
