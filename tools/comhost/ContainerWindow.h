#pragma once
// The window the container places its controls in. A control with a window
// of its own is a child of it. A windowless control is drawn by it, through
// the control's view, whenever it paints, and gets its input from it: the
// mouse messages go to the control that holds the capture or else to the one
// under the pointer, the key messages to the control that holds the focus.

#include <vector>

#include <com/comptr.h>
#include <com/control.h>

namespace comhost {

class ControlSite;

class ContainerWindow {
public:
    // 800 x 600, shown on the (headless) desktop.
    ContainerWindow();
    ~ContainerWindow();
    ContainerWindow(const ContainerWindow&) = delete;
    ContainerWindow& operator=(const ContainerWindow&) = delete;

    HWND handle() const { return m_hwnd; }

    // A control in place on its site; the container paints its area again.
    void place(ControlSite* site, IUnknown* control);
    void remove(ControlSite* site);
    // A site took the focus: every other one loses it.
    void focused(ControlSite* site);

private:
    struct Placed {
        com::ComPtr<ControlSite> site;
        com::ComPtr<IOleInPlaceObjectWindowless> inPlace;
        com::ComPtr<IViewObject> view;
        bool windowless() const;
    };

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void paint();
    // Hands an input message to the windowless control it is meant for.
    bool route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    HWND m_hwnd = nullptr;
    std::vector<Placed> m_placed;
};

}  // namespace comhost
