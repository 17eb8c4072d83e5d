#pragma once
// The toolkit's process-wide application object: it carries the module
// handle the windows are made with. At most one exists at a time; the first
// dialog that finds none makes it and deletes it again (TDialog).

#include "widgets/TApplicationImp.h"

#include <win32/types.h>

#include <memory>

class TApplication {
public:
    explicit TApplication(std::unique_ptr<TApplicationImp> implementation);
    virtual ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // The application of the process, or null.
    static TApplication* current();
    static void setCurrent(TApplication* application);
    // The application's module handle, or the process's when there is no application.
    static HINSTANCE moduleHandle();

    std::unique_ptr<TApplicationImp> imp;
};
