#include "widgets/TApplication.h"

#include "widgets/Win32/TApplicationImpWin32.h"

#include <win32/kernel.h>

namespace {

TApplication* currentApplication = nullptr;

}  // namespace

TApplication::TApplication(std::unique_ptr<TApplicationImp> implementation) : imp(std::move(implementation)) {}

TApplication::~TApplication() = default;

TApplication* TApplication::current() { return currentApplication; }

void TApplication::setCurrent(TApplication* application) { currentApplication = application; }

HINSTANCE TApplication::moduleHandle() {
    auto* platform = currentApplication ? dynamic_cast<TApplicationImpWin32*>(currentApplication->imp.get()) : nullptr;
    return platform ? platform->instance : GetModuleHandleW(nullptr);
}
