#pragma once
// The browser's identifiers: one token per name and per integer, made on
// first demand and valid for the life of the process (a plug-in may keep
// them in statics). Thread-safe: identifiers are plain data.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include <npapi/npruntime.h>

namespace npbrowser {

class Identifiers {
public:
    static Identifiers& instance();

    NPIdentifier forName(const std::string& name);
    NPIdentifier forNumber(std::int32_t number);
    // The identifier a script property key maps to: a canonical array
    // index as an integer identifier, any other key as a name.
    NPIdentifier forKey(const std::string& key);

    // Whether the token is one of ours.
    bool known(NPIdentifier id) const;
    // For a known token only.
    static bool isName(NPIdentifier id);
    static const std::string& name(NPIdentifier id);
    static std::int32_t number(NPIdentifier id);
    // The property key the token stands for (a number in decimal).
    static std::string key(NPIdentifier id);

private:
    struct Entry {
        bool isName;
        std::string name;
        std::int32_t number;
    };

    Identifiers() = default;
    static const Entry& entry(NPIdentifier id) { return *static_cast<const Entry*>(id); }

    mutable std::mutex m_mutex;
    std::map<std::string, std::unique_ptr<Entry>> m_names;
    std::map<std::int32_t, std::unique_ptr<Entry>> m_numbers;
    std::set<const void*> m_all;
};

}  // namespace npbrowser
