#pragma once
// A one-line edit field.

#include "widgets/TControl.h"

#include <string>

class TEdit : public TControl {
public:
    TEdit();

    // The initial text, the given width, one line height.
    bool create(const std::wstring& text, int x, int y, int width, TWidget* parentWidget);
    bool setText(const std::wstring& text);
    // The whole text; a long path must not come back cut short.
    std::wstring getText() const;
    int getTextLength() const;
    void setReadOnly(bool readOnly);
};
