// Progress bars.
#include "../core.h"

#include <algorithm>

using namespace win32::detail;

namespace {

struct ProgressState : ControlState {
  int low = 0;
  int high = 100;
  int position = 0;
  int step = 10;
};

int clampPosition(const ProgressState& bar, int position) {
  return std::max(bar.low, std::min(position, bar.high));
}

}  // namespace

namespace win32 {
namespace detail {

LRESULT CALLBACK progressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) attachControl<ProgressState>(hwnd);
  auto bar = controlState<ProgressState>(hwnd);
  if (!bar) return DefWindowProcW(hwnd, message, wParam, lParam);
  int previous = bar->position;
  switch (message) {
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
      LRESULT old = MAKELRESULT(bar->low, bar->high);
      if (message == PBM_SETRANGE) {
        bar->low = LOWORD(lParam);
        bar->high = HIWORD(lParam);
      } else {
        bar->low = static_cast<int>(static_cast<INT_PTR>(wParam));
        bar->high = static_cast<int>(lParam);
      }
      bar->position = clampPosition(*bar, bar->position);
      return old;
    }
    case PBM_GETRANGE: {
      auto* range = reinterpret_cast<PBRANGE*>(lParam);
      if (range) *range = PBRANGE{bar->low, bar->high};
      return wParam ? bar->low : bar->high;
    }
    case PBM_SETPOS:
      bar->position = clampPosition(*bar, static_cast<int>(static_cast<INT_PTR>(wParam)));
      return previous;
    case PBM_DELTAPOS:
      bar->position = clampPosition(*bar, bar->position + static_cast<int>(static_cast<INT_PTR>(wParam)));
      return previous;
    case PBM_SETSTEP: {
      int old = bar->step;
      bar->step = static_cast<int>(static_cast<INT_PTR>(wParam));
      return old;
    }
    case PBM_STEPIT: {
      int next = bar->position + bar->step;
      // Past the end the bar starts over from the beginning.
      if (next > bar->high && bar->high > bar->low) next = bar->low + (next - bar->high) % (bar->high - bar->low);
      bar->position = clampPosition(*bar, next);
      return previous;
    }
    case PBM_GETPOS:
      return bar->position;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace detail
}  // namespace win32
