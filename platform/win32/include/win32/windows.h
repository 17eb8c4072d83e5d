// The headless Win32 layer: one header for all of it.
//
// Consumers link the CMake target `win32` and write `#include <win32/windows.h>`, or include
// the headers of the concepts they use:
//   win32/types.h     basic types and handles (conventions of the layer are stated there)
//   win32/messages.h  window messages and their parameter values, NMHDR
//   win32/styles.h    window, class and dialog styles
//   win32/keys.h      virtual-key codes
//   win32/kernel.h    last error, system texts, local memory, threads, code pages
//   win32/window.h    classes, windows, window data, geometry, frame model, metrics
//   win32/rect.h      rectangle arithmetic
//   win32/queue.h     sending, posting, queues, message loops, timers
//   win32/input.h     keyboard state, focus, activation, cursor
//   win32/gdi.h       painting, device contexts, fonts and measurement, bitmaps, icons
//   win32/controls.h  system controls, image lists, shell icons
//   win32/dialogs.h   dialog templates, modal dialogs, dialog manager
//   win32/commdlg.h   file choosers
//   win32/shell.h     folder chooser
//   win32/desktop.h   playing the user, settings, keyboard state, call journal (our own API)
//   win32/answers.h   answer files for the desktop (our own API)
#pragma once

#include <win32/commdlg.h>
#include <win32/controls.h>
#include <win32/dialogs.h>
#include <win32/gdi.h>
#include <win32/input.h>
#include <win32/kernel.h>
#include <win32/keys.h>
#include <win32/messages.h>
#include <win32/queue.h>
#include <win32/rect.h>
#include <win32/shell.h>
#include <win32/styles.h>
#include <win32/types.h>
#include <win32/window.h>
