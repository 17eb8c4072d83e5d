#include "widgets/Win32/TPasswordImpWin32.h"

#include "widgets/WideText.h"

LRESULT TPasswordImpWin32::onChar(wchar_t character) {
    if (maxBytes == 0 || character < 0x20 || character == 0x7F) return -1;
    std::wstring text = windowText();
    DWORD start = 0;
    DWORD end = 0;
    send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    // The character replaces the selection.
    if (start <= end && end <= text.size()) text.erase(start, end - start);
    const std::size_t bytes = utf8FromWide(text).size() + utf8FromWide(std::wstring(1, character)).size();
    return bytes > maxBytes ? 0 : -1;
}
