#include "widgets/TWidget.h"

#include "widgets/Win32/TWidgetImpWin32.h"

TWidget::TWidget() = default;

TWidget::~TWidget() = default;

TWidgetImpWin32* TWidget::win32() const { return dynamic_cast<TWidgetImpWin32*>(imp.get()); }

bool TWidget::move(int x, int y) {
    TWidgetImpWin32* platform = win32();
    return platform && platform->move(x, y);
}

bool TWidget::resize(int width, int height) {
    TWidgetImpWin32* platform = win32();
    return platform && platform->setSize(width, height);
}

int TWidget::getWidth() const {
    TWidgetImpWin32* platform = win32();
    return platform ? platform->getWidth() : 0;
}

int TWidget::getHeight() const {
    TWidgetImpWin32* platform = win32();
    return platform ? platform->getHeight() : 0;
}

void TWidget::setFocus() {
    if (TWidgetImpWin32* platform = win32()) platform->setFocus();
}
