#include "widgets/Win32/TApplicationImpWin32.h"

#include "widgets/Win32/TWidgetImpWin32.h"

TApplicationImpWin32::TApplicationImpWin32() : instance(GetModuleHandleW(nullptr)) {}

bool TApplicationImpWin32::registerClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = &TWidgetImpWin32::windowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = L"widgetsLib";
    return RegisterClassExW(&wc) != 0;
}

int TApplicationImpWin32::run() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!msg.hwnd) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
