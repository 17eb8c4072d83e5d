#include "page/Value.h"

#include <cmath>
#include <sstream>
#include <stdexcept>

#include "page/HostObject.h"

namespace page {

Value Value::null()
{
    Value v;
    v.m_type = Type::Null;
    return v;
}

Value Value::boolean(bool value)
{
    Value v;
    v.m_type = Type::Boolean;
    v.m_boolean = value;
    return v;
}

Value Value::number(double value)
{
    Value v;
    v.m_type = Type::Number;
    v.m_number = value;
    return v;
}

Value Value::string(std::string value)
{
    Value v;
    v.m_type = Type::String;
    v.m_string = std::move(value);
    return v;
}

Value Value::array(std::vector<Value> items)
{
    Value v;
    v.m_type = Type::Array;
    v.m_items = std::move(items);
    return v;
}

Value Value::object(Members members)
{
    Value v;
    v.m_type = Type::Object;
    v.m_members = std::move(members);
    return v;
}

Value Value::ref(ObjectId id)
{
    Value v;
    v.m_type = Type::Ref;
    v.m_ref = id;
    return v;
}

Value Value::host(std::shared_ptr<HostObject> object)
{
    if (!object)
        throw std::invalid_argument("a host value needs an object");
    Value v;
    v.m_type = Type::Host;
    v.m_host = std::move(object);
    return v;
}

void Value::require(Type type) const
{
    if (m_type != type)
        throw std::logic_error("page value of another type: " + describe());
}

bool Value::asBoolean() const
{
    require(Type::Boolean);
    return m_boolean;
}

double Value::asNumber() const
{
    require(Type::Number);
    return m_number;
}

const std::string& Value::asString() const
{
    require(Type::String);
    return m_string;
}

const std::vector<Value>& Value::items() const
{
    require(Type::Array);
    return m_items;
}

const Value::Members& Value::members() const
{
    require(Type::Object);
    return m_members;
}

ObjectId Value::refId() const
{
    require(Type::Ref);
    return m_ref;
}

const std::shared_ptr<HostObject>& Value::hostObject() const
{
    require(Type::Host);
    return m_host;
}

const Value* Value::member(const std::string& name) const
{
    for (const auto& entry : members())
        if (entry.first == name)
            return &entry.second;
    return nullptr;
}

namespace {

void describeInto(std::ostringstream& out, const Value& v, bool quoted)
{
    switch (v.type()) {
    case Value::Type::Undefined:
        out << "undefined";
        break;
    case Value::Type::Null:
        out << "null";
        break;
    case Value::Type::Boolean:
        out << (v.asBoolean() ? "true" : "false");
        break;
    case Value::Type::Number: {
        const double n = v.asNumber();
        if (std::floor(n) == n && std::fabs(n) < 1e15)
            out << static_cast<long long>(n);
        else
            out << n;
        break;
    }
    case Value::Type::String:
        if (quoted)
            out << '"' << v.asString() << '"';
        else
            out << v.asString();
        break;
    case Value::Type::Array: {
        out << '[';
        const char* separator = "";
        for (const Value& item : v.items()) {
            out << separator;
            describeInto(out, item, true);
            separator = ",";
        }
        out << ']';
        break;
    }
    case Value::Type::Object: {
        out << '{';
        const char* separator = "";
        for (const auto& member : v.members()) {
            out << separator << '"' << member.first << "\":";
            describeInto(out, member.second, true);
            separator = ",";
        }
        out << '}';
        break;
    }
    case Value::Type::Ref:
        out << "[ref " << v.refId() << ']';
        break;
    case Value::Type::Host:
        out << "[host object]";
        break;
    }
}

}  // namespace

std::string Value::describe() const
{
    std::ostringstream out;
    describeInto(out, *this, false);
    return out.str();
}

bool operator==(const Value& left, const Value& right)
{
    if (left.type() != right.type())
        return false;
    switch (left.type()) {
    case Value::Type::Undefined:
    case Value::Type::Null:
        return true;
    case Value::Type::Boolean:
        return left.asBoolean() == right.asBoolean();
    case Value::Type::Number:
        return left.asNumber() == right.asNumber();
    case Value::Type::String:
        return left.asString() == right.asString();
    case Value::Type::Array:
        return left.items() == right.items();
    case Value::Type::Object:
        return left.members() == right.members();
    case Value::Type::Ref:
        return left.refId() == right.refId();
    case Value::Type::Host:
        return left.hostObject() == right.hostObject();
    }
    return false;
}

}  // namespace page
