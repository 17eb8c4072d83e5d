#pragma once
// An object of the embedding host that the page scripts like its own: its
// property reads, writes, deletions, enumeration and calls go to these
// callbacks. The page wraps it in a script Proxy; every wrapper of one host
// object shares it, and the page lets its reference go when the last wrapper
// is collected (or the page goes).
//
// Callbacks run on the page's thread, inside the script operation that caused
// them; they may call back into the page. A C++ exception thrown by a
// callback reaches the script as an Error carrying what(). Ref values in the
// arguments are new handles that belong to the callee (Page::release them, or
// keep them); Ref values returned stay the callee's.

#include <string>
#include <vector>

#include "page/Value.h"

namespace page {

class HostObject {
public:
    HostObject() = default;
    HostObject(const HostObject&) = delete;
    HostObject& operator=(const HostObject&) = delete;
    virtual ~HostObject();

    // Whether the script's `in` finds the name; the default asks keys().
    virtual bool has(const std::string& name);
    // The member's value; undefined for a name the object does not have.
    virtual Value get(const std::string& name) = 0;
    // The default refuses with "read-only".
    virtual void set(const std::string& name, const Value& value);
    // The default refuses (delete answers false).
    virtual bool remove(const std::string& name);
    // The names that for-in, Object.keys and getOwnPropertyNames list.
    virtual std::vector<std::string> keys();

    // A callable host object is a script function (typeof "function").
    virtual bool callable() const { return false; }
    // Calling the object itself; the default refuses.
    virtual Value call(const std::vector<Value>& args);
};

}  // namespace page
