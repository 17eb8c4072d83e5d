#include "thread_tasks.h"

#include <win32/messages.h>
#include <win32/queue.h>
#include <win32/window.h>

#include <deque>
#include <memory>

namespace com {
namespace detail {

namespace {

const UINT kRunTask = WM_USER + 0x101;
const wchar_t kClassName[] = L"ComThreadTasks";

class TaskWindow {
 public:
  TaskWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TaskWindow::windowProc;
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);  // fails harmlessly once the class exists
    m_window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, this);
    if (m_window) SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~TaskWindow() {
    if (m_window) DestroyWindow(m_window);
  }
  TaskWindow(const TaskWindow&) = delete;
  TaskWindow& operator=(const TaskWindow&) = delete;

  bool post(std::function<void()> task) {
    if (!m_window) return false;
    m_tasks.push_back(std::move(task));
    if (!PostMessageW(m_window, kRunTask, 0, 0)) {
      m_tasks.pop_back();
      return false;
    }
    return true;
  }

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunTask) {
      auto* self = reinterpret_cast<TaskWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
      if (self && !self->m_tasks.empty()) {
        std::function<void()> task = std::move(self->m_tasks.front());
        self->m_tasks.pop_front();
        task();
      }
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  HWND m_window = nullptr;
  std::deque<std::function<void()>> m_tasks;
};

thread_local std::unique_ptr<TaskWindow> t_window;

}  // namespace

bool postToThisThread(std::function<void()> task) {
  if (!t_window) t_window = std::make_unique<TaskWindow>();
  return t_window->post(std::move(task));
}

}  // namespace detail
}  // namespace com
