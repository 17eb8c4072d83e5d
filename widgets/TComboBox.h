#pragma once
// A drop-down list; the item added last is the selected one.

#include "widgets/TControl.h"

#include <cstdint>
#include <string>

class TComboBox : public TControl {
public:
    TComboBox();

    // The given width, three line heights for the opened list.
    bool create(int x, int y, int width, TWidget* parentWidget);
    // Adds the text with its item data and selects it.
    bool addItem(std::intptr_t data, const std::wstring& text);
};
