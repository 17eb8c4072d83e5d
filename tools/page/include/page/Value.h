#pragma once
// A value crossing between C++ and a page's script: the script's primitive
// values, arrays and plain objects by value, and everything else by
// reference (a held script object, or a host object of the embedding host).

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace page {

class HostObject;

// A script object held for C++ in the page's handle table; see Page::release.
using ObjectId = std::uint32_t;

class Value {
public:
    enum class Type { Undefined, Null, Boolean, Number, String, Array, Object, Ref, Host };
    using Members = std::vector<std::pair<std::string, Value>>;

    Value() = default;
    static Value null();
    static Value boolean(bool value);
    static Value number(double value);
    static Value string(std::string value);
    static Value array(std::vector<Value> items);
    // Members in the order the script will see them.
    static Value object(Members members);
    static Value ref(ObjectId id);
    static Value host(std::shared_ptr<HostObject> object);

    Type type() const { return m_type; }
    bool is(Type type) const { return m_type == type; }
    bool isObjectLike() const { return m_type == Type::Ref || m_type == Type::Host; }

    // Each accessor throws std::logic_error when the value is of another type.
    bool asBoolean() const;
    double asNumber() const;
    const std::string& asString() const;
    const std::vector<Value>& items() const;
    const Members& members() const;
    ObjectId refId() const;
    const std::shared_ptr<HostObject>& hostObject() const;

    // The member of an Object value, or nullptr.
    const Value* member(const std::string& name) const;

    // A short readable form for logs and test output; strings unquoted at
    // the top level, quoted inside arrays and objects.
    std::string describe() const;

private:
    void require(Type type) const;

    Type m_type = Type::Undefined;
    bool m_boolean = false;
    double m_number = 0;
    std::string m_string;
    std::vector<Value> m_items;
    Members m_members;
    ObjectId m_ref = 0;
    std::shared_ptr<HostObject> m_host;
};

bool operator==(const Value& left, const Value& right);
inline bool operator!=(const Value& left, const Value& right) { return !(left == right); }

}  // namespace page
