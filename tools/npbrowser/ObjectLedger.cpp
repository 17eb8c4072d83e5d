#include "ObjectLedger.h"

#include <cstdlib>

namespace npbrowser {

NPObject* ObjectLedger::create(NPP owner, NPClass* cls)
{
    NPObject* obj = cls->allocate ? cls->allocate(owner, cls) : static_cast<NPObject*>(std::malloc(sizeof(NPObject)));
    if (!obj)
        return nullptr;
    obj->_class = cls;
    obj->referenceCount = 1;
    m_objects[obj] = owner;
    return obj;
}

NPP ObjectLedger::ownerOf(const NPObject* obj) const
{
    auto found = m_objects.find(obj);
    return found == m_objects.end() ? nullptr : found->second;
}

void ObjectLedger::release(NPObject* obj)
{
    if (--obj->referenceCount > 0)
        return;
    // Forgotten first: deallocation may release (and so look up) other objects.
    m_objects.erase(obj);
    if (obj->_class && obj->_class->deallocate)
        obj->_class->deallocate(obj);
    else
        std::free(obj);
}

std::vector<NPObject*> ObjectLedger::ownedBy(NPP owner) const
{
    std::vector<NPObject*> owned;
    for (const auto& entry : m_objects)
        if (entry.second == owner)
            owned.push_back(const_cast<NPObject*>(entry.first));
    return owned;
}

std::vector<NPObject*> ObjectLedger::all() const
{
    std::vector<NPObject*> objects;
    for (const auto& entry : m_objects)
        objects.push_back(const_cast<NPObject*>(entry.first));
    return objects;
}

}  // namespace npbrowser
