#pragma once
// A script object of the page as the plug-in sees it: a browser-made
// NPObject holding one page handle, whose class runs every operation on the
// page (property reads and writes, calls, enumeration, construction). The
// handle goes with the object's last reference.

#include <npapi/npruntime.h>

#include "page/Value.h"

namespace npbrowser {

class PageObject : public NPObject {
public:
    // The page object behind obj, or null when obj is of another class.
    static PageObject* of(NPObject* obj);
    static const PageObject* of(const NPObject* obj);

    page::Value value() const { return page::Value::ref(handle); }

    page::ObjectId handle = 0;

    static NPClass pageClass;
};

}  // namespace npbrowser
