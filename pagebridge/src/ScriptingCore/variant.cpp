#include "ScriptingCore/variant.h"

#include <cstring>

#include "ScriptingCore/type_name.h"

namespace PB {

namespace variant_detail {

bool never_less(const boost::any&, const boost::any&)
{
    return false;
}

bool less_by_message(const boost::any& left, const boost::any& right)
{
    return std::string(boost::any_cast<const stored_exception&>(left).what()) <
           std::string(boost::any_cast<const stored_exception&>(right).what());
}

}  // namespace variant_detail

variant::variant() noexcept : m_less(&variant_detail::never_less) {}

variant::variant(const variant& other) : m_content(other.m_content), m_less(other.m_less) {}

// The source of a move is left without content; it gets the comparator of
// that state too, so that it orders as empty instead of failing a read of a
// content it no longer has.
variant::variant(variant&& other) noexcept : m_content(std::move(other.m_content)), m_less(other.m_less)
{
    other.m_content = boost::any();
    other.m_less = &variant_detail::never_less;
}

variant& variant::operator=(const variant& other)
{
    if (this != &other) {
        boost::any copy(other.m_content);
        m_content.swap(copy);
        m_less = other.m_less;
    }
    return *this;
}

variant& variant::operator=(variant&& other) noexcept
{
    if (this != &other) {
        m_content.swap(other.m_content);
        other.m_content = boost::any();
        m_less = other.m_less;
        other.m_less = &variant_detail::never_less;
    }
    return *this;
}

variant::~variant() = default;

const std::type_info& variant::get_type() const
{
    if (m_content.empty())
        return typeid(void);
    if (m_content.type() == typeid(variant_detail::stored_exception))
        return typeid(std::exception);
    return m_content.type();
}

void variant::fromCString(const char* text)
{
    // A null pointer is read as no text rather than dereferenced.
    store(std::string(text ? text : ""));
}

bool variant::operator<(const variant& right) const
{
    const std::type_info& leftType = get_type();
    const std::type_info& rightType = right.get_type();
    if (leftType == rightType)
        return m_less(m_content, right.m_content);
    return std::strcmp(type_name(leftType), type_name(rightType)) < 0;
}

VariantList stringsToVariantList(const std::vector<std::string>& strings)
{
    return VariantList(strings.begin(), strings.end());
}

}  // namespace PB
