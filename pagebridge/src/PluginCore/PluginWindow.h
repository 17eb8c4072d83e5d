#pragma once
// The window a plug-in draws in and takes input from: a real child window
// or a windowless drawable. Its observers get the window's events.

#include "PluginCore/PluginEventSource.h"
#include "PluginCore/Rect.h"

namespace PB {

class PluginWindow : public PluginEventSource {
public:
    virtual void InvalidateWindow() const = 0;
    virtual Rect getWindowPosition() const = 0;
    virtual int getWindowWidth() const = 0;
    virtual int getWindowHeight() const = 0;
    virtual Rect getWindowClipping() const = 0;
};

}  // namespace PB
