#include "widgets/TWindowHandles.h"

TWindowHandles::TWindowHandles() : handlers(std::make_unique<std::vector<Entry>>()) {}

TWindowHandles::~TWindowHandles() = default;

bool TWindowHandles::addHandler(int code, WindowEventHandler handler) {
    if (!handlers || code == 0 || !handler) return false;
    handlers->emplace_back(code, handler);
    return true;
}

WindowEventHandler TWindowHandles::findHandler(int code) const {
    if (!handlers || code == 0) return nullptr;
    for (const Entry& entry : *handlers)
        if (entry.first == code) return entry.second;
    return nullptr;
}
