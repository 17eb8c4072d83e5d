#include "widgets/TControl.h"

#include "widgets/TWindowList.h"
#include "widgets/Win32/TWidgetImpWin32.h"

TControl::TControl() { objectListAppend(this); }

TControl::~TControl() {
    objectListRemove(this);
    imp.reset();
}

bool TControl::addHandler(int code, TControl* control, WindowEventHandler handler) {
    return control && control->addHandler(code, handler);
}

WindowEventHandler TControl::findHandler(int code, TControl* control) {
    return control ? control->findHandler(code) : nullptr;
}

bool TControl::dispatchEvent(TWidget* receiver, TWindowEvent* event) {
    if (!event) return true;
    auto* target = dynamic_cast<TControl*>(event->widget);
    WindowEventHandler handler = findHandler(event->code, target);
    return handler ? handler(receiver, target, event) : true;
}

bool TControl::createWindow(const wchar_t* className, const std::wstring& text, std::uint32_t style,
                            int x, int y, int width, int height, TWidget* parentWidget, int type) {
    TWidgetImpWin32* platform = win32();
    if (!platform || !parentWidget) return false;
    parent = parentWidget;
    if (!platform->create(className, text.c_str(), style, x, y, width, height, parentWidget)) return false;
    setKind(kindControl, type);
    return true;
}
