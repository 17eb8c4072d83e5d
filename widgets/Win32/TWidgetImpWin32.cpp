#include "widgets/Win32/TWidgetImpWin32.h"

#include "widgets/TApplication.h"
#include "widgets/TControl.h"
#include "widgets/TDialog.h"
#include "widgets/TWindowList.h"
#include "widgets/Win32/TTreeViewImpWin32.h"

namespace {

const wchar_t* const kClassName = L"widgetsLib";
const wchar_t* const kDialogClass = L"#32770";

// Key and dialog-command events go to the dialog being shown, or from a
// control to its parent.
TWidget* keyTarget(TWidget* receiver) {
    if (!receiver) return nullptr;
    if (receiver->kind == kindModalDialog && receiver->subkind == typeDialog) return receiver;
    return receiver->parent;
}

// Calls the target's handler: 0 when handled or when there is none, -1 when
// the handler lets the default processing run.
LRESULT callHandler(TWidget* receiver, TWidget* target, TWindowEvent& event) {
    WindowEventHandler handler = TControl::findHandler(event.code, dynamic_cast<TControl*>(target));
    if (!handler) return 0;
    return handler(receiver, target, &event) ? 0 : -1;
}

// The creation parameter of a toolkit window names its widget; anything
// that is not a listed widget is ignored.
TWidget* widgetOfCreateParam(LPARAM lParam) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    if (!create) return nullptr;
    auto* object = static_cast<TObject*>(create->lpCreateParams);
    return objectListFind(object) ? dynamic_cast<TWidget*>(object) : nullptr;
}

// The dialog's initialisation parameter names the dialog widget or its
// implementation.
TWidget* widgetOfInitParam(LPARAM lParam) {
    auto* object = reinterpret_cast<TObject*>(lParam);
    if (object && objectListFind(object)) return dynamic_cast<TWidget*>(object);
    auto* implementation = reinterpret_cast<TWidgetImp*>(lParam);
    for (TObject* at = objectListHead(); at && implementation; at = at->next) {
        auto* widget = dynamic_cast<TWidget*>(at);
        if (widget && widget->imp.get() == implementation) return widget;
    }
    return nullptr;
}

// Messages for windows the toolkit does not know.
LRESULT unattachedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    wchar_t name[10];
    if (!GetClassNameW(window, name, 10)) return DefWindowProcW(window, message, wParam, lParam);
    if (std::wstring(name) == kDialogClass) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

TWidgetImpWin32::TWidgetImpWin32(TWidget* served) : TWidgetImp(served) {}

TWidgetImpWin32::~TWidgetImpWin32() {
    HWND window = hwnd;
    if (window && IsWindow(window)) {
        detach();
        if (ownsWindow) DestroyWindow(window);
    }
}

bool TWidgetImpWin32::create(const wchar_t* className, const wchar_t* windowText, DWORD style, int x,
                             int y, int width, int height, TWidget* parentWidget) {
    if (parentWidget && parentWidget->imp) {
        TWidgetImpWin32* parentImp = parentWidget->win32();
        parentHwnd = parentImp ? parentImp->getHwnd() : nullptr;
    }
    if (getHwnd()) return false;
    HINSTANCE instance = TApplication::moduleHandle();
    if (windowText) text = windowText;
    if (!owner) return false;
    HWND window = CreateWindowExW(0, className ? className : kClassName, text.c_str(), style, x, y, width,
                                  height, parentHwnd, nullptr, instance, static_cast<TObject*>(owner));
    if (!window) return false;
    hwnd = window;
    ownsWindow = true;
    subclass();
    return true;
}

bool TWidgetImpWin32::attach(HWND window) {
    if (findByHwnd(window)) return false;
    wchar_t name[10];
    if (!GetClassNameW(window, name, 10)) {
        prevProc = nullptr;
        hwnd = nullptr;
        return false;
    }
    isDialog = std::wstring(name) == kDialogClass;
    hwnd = window;
    ownsWindow = true;
    subclass();
    return true;
}

void TWidgetImpWin32::subclass() {
    prevProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, procIndex()));
    if (prevProc && prevProc != windowProc)
        SetWindowLongPtrW(hwnd, procIndex(), reinterpret_cast<LONG_PTR>(&TWidgetImpWin32::windowProc));
}

HWND TWidgetImpWin32::detach() {
    if (!prevProc || prevProc == windowProc) return nullptr;
    HWND window = hwnd;
    if (window && IsWindow(window)) SetWindowLongPtrW(window, procIndex(), reinterpret_cast<LONG_PTR>(prevProc));
    isDialog = false;
    hwnd = nullptr;
    prevProc = nullptr;
    return window;
}

void TWidgetImpWin32::destroy() {
    HWND window = getHwnd();
    if (!window) return;
    detach();
    if (ownsWindow) DestroyWindow(window);
}

LRESULT TWidgetImpWin32::defaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!hwnd || !IsWindow(hwnd)) return -1;
    if (prevProc && prevProc != windowProc) return CallWindowProcW(prevProc, hwnd, message, wParam, lParam);
    return isDialog ? 0 : DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND TWidgetImpWin32::getHwnd() const { return hwnd && IsWindow(hwnd) ? hwnd : nullptr; }

bool TWidgetImpWin32::preCreate(CREATESTRUCTW& create) const {
    if (!create.lpszClass) create.lpszClass = kClassName;
    return owner != nullptr;
}

bool TWidgetImpWin32::setSize(int width, int height) {
    HWND window = getHwnd();
    return window && SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_SHOWWINDOW);
}

bool TWidgetImpWin32::move(int x, int y) {
    HWND window = getHwnd();
    return window && SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}

int TWidgetImpWin32::getWidth() const {
    RECT rect;
    HWND window = getHwnd();
    return window && GetWindowRect(window, &rect) ? rect.right - rect.left : 0;
}

int TWidgetImpWin32::getHeight() const {
    RECT rect;
    HWND window = getHwnd();
    return window && GetWindowRect(window, &rect) ? rect.bottom - rect.top : 0;
}

void TWidgetImpWin32::setFocus() {
    if (HWND window = getHwnd()) SetFocus(window);
}

std::wstring TWidgetImpWin32::windowText() const {
    HWND window = getHwnd();
    int length = window ? GetWindowTextLengthW(window) : 0;
    if (length <= 0) return std::wstring();
    std::wstring value(static_cast<std::size_t>(length) + 1, L'\0');
    int read = GetWindowTextW(window, &value[0], length + 1);
    value.resize(static_cast<std::size_t>(read > 0 ? read : 0));
    return value;
}

LRESULT TWidgetImpWin32::send(UINT message, WPARAM wParam, LPARAM lParam) const {
    HWND window = getHwnd();
    return window ? SendMessageW(window, message, wParam, lParam) : 0;
}

bool TWidgetImpWin32::textMetrics(TEXTMETRICW& metrics) const {
    HWND window = getHwnd();
    HDC dc = window ? GetWindowDC(window) : nullptr;
    if (!dc) return false;
    bool read = GetTextMetricsW(dc, &metrics) != FALSE;
    ReleaseDC(window, dc);
    return read;
}

int TWidgetImpWin32::lineHeight() const {
    TEXTMETRICW metrics;
    return textMetrics(metrics) ? (metrics.tmHeight + 5) / 10 * 10 : 0;
}

TWidget* TWidgetImpWin32::findByHwnd(HWND window) {
    if (!window) return nullptr;
    for (TObject* at = objectListHead(); at; at = at->next) {
        auto* widget = dynamic_cast<TWidget*>(at);
        TWidgetImpWin32* platform = widget ? widget->win32() : nullptr;
        if (platform && platform->getHwnd() == window) return widget;
    }
    return nullptr;
}

TObject* TWidgetImpWin32::findById(std::uint32_t id) {
    for (TObject* at = objectListHead(); at; at = at->next)
        if (at->id == id) return at;
    return nullptr;
}

LRESULT TWidgetImpWin32::keyEvent(int code, int value) {
    TWidget* target = keyTarget(owner);
    if (!target) return -1;
    TWindowEvent event(target, code, value, 0);
    return callHandler(owner, target, event);
}

LRESULT TWidgetImpWin32::onDialogCommand(int key) { return keyEvent(eventDialogCommand, key); }

LRESULT TWidgetImpWin32::onKeyDown(int virtualKey) { return keyEvent(eventKeyPressed, virtualKey); }

LRESULT TWidgetImpWin32::onCommand(int notification, int id, HWND control) {
    if (!owner) return -1;
    TObject* found = id ? findById(static_cast<std::uint32_t>(id)) : nullptr;
    auto* sender = dynamic_cast<TWidget*>(found);
    if (!sender) sender = findByHwnd(control);
    if (!sender) return -1;
    TWidgetImpWin32* senderImp = sender->win32();
    TWindowEvent event(sender, 0, 0, 0);
    if (notification == BN_CLICKED) {
        bool button = sender->kind == kindControl &&
                      (sender->subkind == typePushButton || sender->subkind == typeCheckBox);
        if (!button) return -1;
        event.code = eventClicked;
        // Check boxes are not automatic: the toolkit toggles them before the click is delivered.
        if (sender->subkind == typeCheckBox && senderImp)
            senderImp->send(BM_SETCHECK, senderImp->send(BM_GETCHECK) ? BST_UNCHECKED : BST_CHECKED);
    } else {
        bool list = sender->kind == kindControl &&
                    (sender->subkind == typeListBox || sender->subkind == typeComboBox);
        if (!list || !senderImp) return 0;
        if (notification == CBN_SELCHANGE) {
            bool listBox = sender->subkind == typeListBox;
            LRESULT selection = senderImp->send(listBox ? LB_GETCURSEL : CB_GETCURSEL);
            LRESULT data = senderImp->send(listBox ? LB_GETITEMDATA : CB_GETITEMDATA, static_cast<WPARAM>(selection));
            event.code = eventSelectionChanged;
            event.param1 = selection;
            event.param2 = data;
        } else {
            event.code = notification;
        }
    }
    return callHandler(owner, sender, event);
}

LRESULT TWidgetImpWin32::onNotify(NMHDR* header) {
    if (!header) return -1;
    TObject* found = header->idFrom ? findById(static_cast<std::uint32_t>(header->idFrom)) : nullptr;
    auto* sender = dynamic_cast<TWidget*>(found);
    if (!sender) sender = findByHwnd(header->hwndFrom);
    if (!sender) return -1;
    switch (header->code) {
        case TVN_ITEMEXPANDEDW: {
            auto* info = reinterpret_cast<NMTREEVIEWW*>(header);
            auto* tree = dynamic_cast<TTreeViewImpWin32*>(sender->imp.get());
            // Collapsing is reported under the same code and handled alike.
            if (!tree) return -1;
            HTREEITEM item = info->itemNew.hItem;
            if (!tree->onItemExpanded(item)) return -1;
            return tree->send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) ? 0 : -1;
        }
        case TVN_SELCHANGEDW: {
            auto* info = reinterpret_cast<NMTREEVIEWW*>(header);
            auto* tree = dynamic_cast<TTreeViewImpWin32*>(sender->imp.get());
            std::wstring path = tree ? tree->itemPath(info->itemNew.hItem) : std::wstring();
            TWindowEvent event(sender, eventSelectionChanged, reinterpret_cast<std::intptr_t>(info->itemNew.hItem),
                               reinterpret_cast<std::intptr_t>(&path));
            return TControl::dispatchEvent(owner, &event) ? 0 : -1;
        }
        case LVN_ITEMCHANGED: {
            auto* info = reinterpret_cast<NMLISTVIEW*>(header);
            TWindowEvent event(sender, eventSelectionChanged, info->iItem, info->lParam);
            return TControl::dispatchEvent(owner, &event) ? 0 : -1;
        }
        default:
            return -1;
    }
}

LRESULT CALLBACK TWidgetImpWin32::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TWidget* widget = nullptr;
    if (message == WM_NCCREATE) {
        widget = widgetOfCreateParam(lParam);
        if (TWidgetImpWin32* platform = widget ? widget->win32() : nullptr) platform->attach(window);
    } else if (message == WM_INITDIALOG) {
        widget = widgetOfInitParam(lParam);
        if (TWidgetImpWin32* platform = widget ? widget->win32() : nullptr) {
            platform->attach(window);
            SetWindowTextW(window, platform->text.c_str());
            if (auto* dialog = dynamic_cast<TDialog*>(widget)) dialog->initDialog();
            SetForegroundWindow(window);
        }
    } else {
        widget = findByHwnd(window);
    }
    TWidgetImpWin32* platform = widget ? widget->win32() : nullptr;
    if (!platform || platform->hwnd != window || !IsWindow(window))
        return unattachedProc(window, message, wParam, lParam);

    LRESULT result = -1;
    switch (message) {
        case WM_CREATE:
        case WM_DESTROY:
        case WM_CLOSE:
            result = platform->owner ? 0 : -1;
            break;
        case WM_NOTIFY:
            result = platform->owner ? platform->onNotify(reinterpret_cast<NMHDR*>(lParam)) : -1;
            break;
        case WM_KEYDOWN:
            result = platform->onKeyDown(static_cast<int>(wParam));
            break;
        case WM_CHAR:
            result = platform->onChar(static_cast<wchar_t>(wParam));
            break;
        case WM_COMMAND:
            if (wParam == IDOK || wParam == IDCANCEL)
                result = platform->owner ? platform->onDialogCommand(wParam == IDOK ? commandOk : commandCancel) : -1;
            else
                result = platform->onCommand(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam));
            break;
        default:
            break;
    }
    if (result == -1) result = platform->defaultProc(message, wParam, lParam);
    if (message == WM_NCDESTROY && IsWindow(window)) {
        platform->detach();
        platform->hwnd = nullptr;
        platform->prevProc = nullptr;
    }
    return result;
}
