#include "ContainerWindow.h"

#include <algorithm>

#include <win32/gdi.h>
#include <win32/input.h>
#include <win32/messages.h>
#include <win32/queue.h>
#include <win32/rect.h>
#include <win32/styles.h>
#include <win32/window.h>

#include "ControlSite.h"

namespace comhost {

namespace {

const wchar_t kClass[] = L"ComhostContainer";

bool isMouse(UINT message)
{
    return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST;
}

bool isKey(UINT message)
{
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

}  // namespace

bool ContainerWindow::Placed::windowless() const
{
    HWND own = nullptr;
    return site->inPlaceActive() && FAILED(inPlace->GetWindow(&own));
}

ContainerWindow::ContainerWindow()
{
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &ContainerWindow::windowProc;
        wc.lpszClassName = kClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    m_hwnd = CreateWindowExW(0, kClass, L"comhost", WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ContainerWindow::~ContainerWindow()
{
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    DestroyWindow(m_hwnd);
}

void ContainerWindow::place(ControlSite* site, IUnknown* control)
{
    Placed placed{com::ComPtr<ControlSite>(site), com::queryInterface<IOleInPlaceObjectWindowless>(control),
                  com::queryInterface<IViewObject>(control)};
    if (!placed.inPlace || !placed.view)
        return;
    site->placedIn(this);
    m_placed.push_back(std::move(placed));
    InvalidateRect(m_hwnd, &site->position(), TRUE);
}

void ContainerWindow::remove(ControlSite* site)
{
    site->placedIn(nullptr);
    m_placed.erase(std::remove_if(m_placed.begin(), m_placed.end(),
                                  [site](const Placed& placed) { return placed.site.get() == site; }),
                   m_placed.end());
}

void ContainerWindow::focused(ControlSite* site)
{
    for (const Placed& placed : m_placed) {
        if (placed.site.get() != site)
            placed.site->blur();
    }
    SetFocus(m_hwnd);
}

LRESULT CALLBACK ContainerWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* container = reinterpret_cast<ContainerWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (container && message == WM_PAINT) {
        container->paint();
        return 0;
    }
    LRESULT result = 0;
    if (container && container->route(message, wParam, lParam, result))
        return result;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void ContainerWindow::paint()
{
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(m_hwnd, &paint);
    // A control may go (or come) while another one draws.
    const std::vector<Placed> placed = m_placed;
    for (const Placed& each : placed) {
        const RECT& position = each.site->position();
        RECT visible{};
        if (!dc || !each.windowless() || !IntersectRect(&visible, &position, &paint.rcPaint))
            continue;
        const RECTL bounds{position.left, position.top, position.right, position.bottom};
        each.view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0);
    }
    EndPaint(m_hwnd, &paint);
}

bool ContainerWindow::route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (!isMouse(message) && !isKey(message))
        return false;
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const Placed* target = nullptr;
    for (const Placed& placed : m_placed) {
        if (!placed.windowless())
            continue;
        if (isKey(message) ? placed.site->hasFocus() : placed.site->hasCapture()) {
            target = &placed;
            break;
        }
    }
    // The mouse goes to the topmost windowless control under it, the last placed.
    for (auto it = m_placed.rbegin(); !target && isMouse(message) && it != m_placed.rend(); ++it) {
        if (it->windowless() && PtInRect(&it->site->position(), point))
            target = &*it;
    }
    if (!target)
        return false;
    // The control may call back into the container (focus, capture, repaint).
    const com::ComPtr<IOleInPlaceObjectWindowless> inPlace = target->inPlace;
    return inPlace->OnWindowMessage(message, wParam, lParam, &result) == S_OK;
}

}  // namespace comhost
