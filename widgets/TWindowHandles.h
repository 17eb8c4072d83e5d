#pragma once
// A widget's table of (event code, handler) pairs. The first pair of a code
// counts; later pairs of the same code are never called.

#include "widgets/TWindowEvent.h"

#include <memory>
#include <utility>
#include <vector>

class TWindowHandles {
public:
    using Entry = std::pair<std::int32_t, WindowEventHandler>;

    TWindowHandles();
    virtual ~TWindowHandles();
    TWindowHandles(const TWindowHandles&) = delete;
    TWindowHandles& operator=(const TWindowHandles&) = delete;

    // False for code 0, a null handler or a missing table.
    bool addHandler(int code, WindowEventHandler handler);
    // The handler of the first pair with that code, else null.
    WindowEventHandler findHandler(int code) const;

    std::unique_ptr<std::vector<Entry>> handlers;
};
