// A modal loop as the desktop sees it.
#pragma once

#include "core.h"

#include <functional>

namespace win32 {
namespace desktop {

struct ModalState {
  ModalKind kind = ModalKind::Dialog;
  HWND window = nullptr;
  int depth = 1;
  ChooserRequest request;
  // Choosers: the path the user chose, once accepted by validate.
  bool chosen = false;
  std::wstring choice;
  bool cancelled = false;
  // Answers an empty string when the path may be chosen, else why not.
  std::function<std::string(const std::wstring&)> validate;
};

}  // namespace desktop
}  // namespace win32
