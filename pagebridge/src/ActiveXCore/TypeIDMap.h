#pragma once
// A two-way table between numeric ids and values (names, as variants): a
// value gets the next free id on its first lookup and keeps it. Nothing is
// ever removed. Lookups may come from any thread.

#include <map>
#include <mutex>
#include <stdexcept>

#include "ScriptingCore/variant.h"

namespace PB {

template <typename IdType>
class TypeIDMap {
public:
    explicit TypeIDMap(IdType firstId) : m_nextId(firstId) {}
    virtual ~TypeIDMap() = default;

    // Throws std::runtime_error "ID or value already defined" (nothing
    // changed) when either is present.
    void setIdForValue(IdType id, const variant& value)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_idMap.count(id) || m_valueMap.count(value))
            throw std::runtime_error("ID or value already defined");
        m_idMap[id] = value;
        m_valueMap[value] = id;
    }

    // The value's id; a value not seen before gets the next id.
    IdType getIdForValue(const variant& value)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_valueMap.find(value);
        if (found != m_valueMap.end())
            return found->second;
        const IdType id = m_nextId++;
        m_idMap[id] = value;
        m_valueMap[value] = id;
        return id;
    }

    bool idExists(IdType id) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_idMap.count(id) != 0;
    }

    // The value converted; an id not in the table throws bad_variant_cast
    // (held void).
    template <typename T>
    T getValueForId(IdType id) const
    {
        variant value;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            auto found = m_idMap.find(id);
            if (found != m_idMap.end())
                value = found->second;
        }
        return value.convert_cast<T>();
    }

private:
    mutable std::mutex m_mutex;
    std::map<IdType, variant> m_idMap;
    std::map<variant, IdType> m_valueMap;
    IdType m_nextId;
};

}  // namespace PB
