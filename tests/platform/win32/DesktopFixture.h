// Shared helpers of the Win32 layer's tests: a clean desktop per test, a window class that
// records its messages, and a builder of in-memory dialog templates.
#pragma once

#include <win32/desktop.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace win32test {

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override {
    for (HWND hwnd : made_)
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    reset();
  }
  static void reset() {
    win32::desktop::setHandler(nullptr);
    win32::desktop::clearAnswers();
    win32::desktop::clearJournal();
    win32::desktop::releaseKeys();
    win32::desktop::setSettings(win32::desktop::Settings{});
  }
  // A window destroyed at the end of the test.
  HWND keep(HWND hwnd) {
    made_.push_back(hwnd);
    return hwnd;
  }
  static size_t journalCount(const std::string& name, const std::string& detail = std::string()) {
    return win32::desktop::journal(name, detail).size();
  }

 private:
  std::vector<HWND> made_;
};

// A class whose windows record every message they get (on the creating thread).
struct Seen {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD thread;
};
std::vector<Seen>& seenMessages();
LRESULT CALLBACK recordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Registers the recording class once; returns its name.
const wchar_t* recordingClass();
std::vector<UINT> seenOf(HWND hwnd);

// Builds DLGTEMPLATE memory: header, then items, with 16-bit strings.
class TemplateBuilder {
 public:
  TemplateBuilder(DWORD style, short cx, short cy, const std::wstring& title);
  TemplateBuilder& font(WORD pointSize, const std::wstring& face);
  TemplateBuilder& item(const std::wstring& cls, int id, DWORD style, short x, short y, short cx,
                        short cy, const std::wstring& text);
  const DLGTEMPLATE* get();

 private:
  void words(const std::wstring& text);
  void dword(DWORD value);
  void word(WORD value) { data_.push_back(value); }
  std::vector<WORD> data_;
  std::vector<WORD> items_;
  WORD count_ = 0;
  DWORD style_;
  std::vector<WORD> built_;
};

}  // namespace win32test
