#pragma once
// Pushes a security zone for the life of the guard; the object's mutex is
// held meanwhile (see JSAPI::pushZone).

#include "ScriptingCore/JSAPI.h"

namespace PB {

class ScopedZone {
public:
    ScopedZone(JSAPI& object, int zone) : m_object(object) { m_object.pushZone(zone); }
    ~ScopedZone() { m_object.popZone(); }
    ScopedZone(const ScopedZone&) = delete;
    ScopedZone& operator=(const ScopedZone&) = delete;

private:
    JSAPI& m_object;
};

}  // namespace PB
