#include "widgets/Win32/TIconImpWin32.h"

#include "widgets/Win32/IconPixels.h"

namespace {

struct NamedIcon {
    const wchar_t* name;
    LPCWSTR systemIcon;  // null: the key picture
};

const NamedIcon kIcons[] = {
    {L"icon-error", IDI_HAND},
    {L"icon-warning", IDI_EXCLAMATION},
    {L"icon-request", IDI_QUESTION},
    {L"icon-info", IDI_ASTERISK},
    {L"icon-key", nullptr},
};

}  // namespace

TIconImpWin32::~TIconImpWin32() {
    // The window goes first: it must not outlive its picture.
    destroy();
    if (drawn_) DestroyIcon(drawn_);
}

bool TIconImpWin32::setIcon(const std::wstring& name) {
    HWND window = getHwnd();
    if (!window) return false;
    for (const NamedIcon& known : kIcons) {
        if (name != known.name) continue;
        HICON icon = known.systemIcon ? LoadIconW(nullptr, known.systemIcon)
                                      : createIconFromPixels(window, keyIconPixels.data(), 32, 32);
        if (!icon) return false;
        send(STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        if (!known.systemIcon) {
            if (drawn_) DestroyIcon(drawn_);
            drawn_ = icon;
        }
        return true;
    }
    return false;
}
