#pragma once
// Building the image lists of the list and tree views: the six pen pictures
// and small icons of the shell library, in a fixed order.

#include <win32/windows.h>

#include <initializer_list>

// Appends the six pen pictures as images 0 to 5; false when one cannot be added.
bool addPenImages(HIMAGELIST list, HWND owner);
// Appends the small icons of "SHELL32.DLL" with these indices, in order.
bool addShellImages(HIMAGELIST list, std::initializer_list<int> indices);
