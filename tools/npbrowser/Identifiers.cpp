#include "Identifiers.h"

#include <climits>
#include <cstdlib>

namespace npbrowser {

Identifiers& Identifiers::instance()
{
    // Never destroyed: a module may look a token up while the process ends.
    static Identifiers* identifiers = new Identifiers();
    return *identifiers;
}

NPIdentifier Identifiers::forName(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::unique_ptr<Entry>& slot = m_names[name];
    if (!slot) {
        slot.reset(new Entry{true, name, 0});
        m_all.insert(slot.get());
    }
    return slot.get();
}

NPIdentifier Identifiers::forNumber(std::int32_t number)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::unique_ptr<Entry>& slot = m_numbers[number];
    if (!slot) {
        slot.reset(new Entry{false, std::string(), number});
        m_all.insert(slot.get());
    }
    return slot.get();
}

NPIdentifier Identifiers::forKey(const std::string& key)
{
    // "0", "17": an index; "01", "-1" and anything past INT32_MAX stay names.
    const bool digits = !key.empty() && key.size() <= 10 && key.find_first_not_of("0123456789") == std::string::npos &&
                        (key == "0" || key[0] != '0');
    if (digits) {
        const long long value = std::strtoll(key.c_str(), nullptr, 10);
        if (value <= INT32_MAX)
            return forNumber(static_cast<std::int32_t>(value));
    }
    return forName(key);
}

bool Identifiers::known(NPIdentifier id) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_all.count(id) != 0;
}

bool Identifiers::isName(NPIdentifier id)
{
    return entry(id).isName;
}

const std::string& Identifiers::name(NPIdentifier id)
{
    return entry(id).name;
}

std::int32_t Identifiers::number(NPIdentifier id)
{
    return entry(id).number;
}

std::string Identifiers::key(NPIdentifier id)
{
    return isName(id) ? name(id) : std::to_string(number(id));
}

}  // namespace npbrowser
