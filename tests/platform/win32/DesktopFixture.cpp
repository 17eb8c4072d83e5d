#include "DesktopFixture.h"

namespace win32test {

std::vector<Seen>& seenMessages() {
  static std::vector<Seen> seen;
  return seen;
}

LRESULT CALLBACK recordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  seenMessages().push_back(Seen{hwnd, message, wParam, lParam, GetCurrentThreadId()});
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

const wchar_t* recordingClass() {
  static const wchar_t* name = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = recordingProc;
    wc.lpszClassName = L"RecordingWindow";
    RegisterClassExW(&wc);
    return L"RecordingWindow";
  }();
  return name;
}

std::vector<UINT> seenOf(HWND hwnd) {
  std::vector<UINT> result;
  for (const auto& seen : seenMessages())
    if (seen.hwnd == hwnd) result.push_back(seen.message);
  return result;
}

TemplateBuilder::TemplateBuilder(DWORD style, short cx, short cy, const std::wstring& title)
    : style_(style) {
  dword(style);
  dword(0);
  word(0);  // item count, set by get()
  word(0);
  word(0);
  word(static_cast<WORD>(cx));
  word(static_cast<WORD>(cy));
  word(0);  // no menu
  word(0);  // the dialog class
  words(title);
}

TemplateBuilder& TemplateBuilder::font(WORD pointSize, const std::wstring& face) {
  word(pointSize);
  words(face);
  return *this;
}

TemplateBuilder& TemplateBuilder::item(const std::wstring& cls, int id, DWORD style, short x, short y,
                                       short cx, short cy, const std::wstring& text) {
  if (data_.size() % 2) word(0);  // items start on a 32-bit boundary
  dword(style | WS_CHILD | WS_VISIBLE);
  dword(0);
  word(static_cast<WORD>(x));
  word(static_cast<WORD>(y));
  word(static_cast<WORD>(cx));
  word(static_cast<WORD>(cy));
  word(static_cast<WORD>(id));
  words(cls);
  words(text);
  word(0);  // no creation data
  ++count_;
  return *this;
}

const DLGTEMPLATE* TemplateBuilder::get() {
  built_ = data_;
  built_[4] = count_;  // after the two 32-bit style fields
  return reinterpret_cast<const DLGTEMPLATE*>(built_.data());
}

void TemplateBuilder::words(const std::wstring& text) {
  for (wchar_t c : text) word(static_cast<WORD>(c));
  word(0);
}

void TemplateBuilder::dword(DWORD value) {
  word(static_cast<WORD>(value & 0xFFFF));
  word(static_cast<WORD>(value >> 16));
}

}  // namespace win32test
