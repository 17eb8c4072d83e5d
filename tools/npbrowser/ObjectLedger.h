#pragma once
// Every NPObject the browser made (NPN_CreateObject, for the plug-in's
// classes and for its own page objects), with the instance that made it and
// its reference count. The last release deallocates through the object's
// class. Objects the ledger does not know are refused, never touched: a
// plug-in that releases too often or uses a freed object is told, not let
// to corrupt the heap. Main thread only.

#include <cstddef>
#include <map>
#include <vector>

#include <npapi/npruntime.h>

namespace npbrowser {

class ObjectLedger {
public:
    ObjectLedger() = default;
    ObjectLedger(const ObjectLedger&) = delete;
    ObjectLedger& operator=(const ObjectLedger&) = delete;

    // A new object of the class (through its allocate, else a bare
    // NPObject) with one reference; null when the class gives none.
    NPObject* create(NPP owner, NPClass* cls);
    bool live(const NPObject* obj) const { return m_objects.count(obj) != 0; }
    NPP ownerOf(const NPObject* obj) const;
    // For live objects only.
    void retain(NPObject* obj) { ++obj->referenceCount; }
    // Drops one reference of a live object; the last one deallocates it.
    void release(NPObject* obj);
    // Stops tracking the object without deallocating it.
    void forget(const NPObject* obj) { m_objects.erase(obj); }

    std::vector<NPObject*> ownedBy(NPP owner) const;
    std::vector<NPObject*> all() const;
    std::size_t size() const { return m_objects.size(); }

private:
    std::map<const NPObject*, NPP> m_objects;
};

}  // namespace npbrowser
