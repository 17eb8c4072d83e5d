#pragma once
// PB::variant: the one value that crosses every scripting boundary. It owns a
// value of one type from a closed set and orders itself against other
// variants, so it can key an ordered map.

#include <boost/any.hpp>

#include <exception>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "ScriptingCore/exceptions.h"

namespace PB {

class JSAPI;
class JSObject;
namespace HostWire {
class AlienLarvae;
}

// The page's null.
struct PBNull {};

class variant;
using VariantList = std::vector<variant>;
using VariantMap = std::map<std::string, variant>;

namespace variant_detail {

// An undefined value that a host adapter stores explicitly; counts as empty.
struct empty {};
// A second null marker, produced only by the NPAPI adapter.
struct null {};

// Copies of std::exception lose their text in this standard library, so error
// values are stored in this form; the variant still reports std::exception as
// its held type.
class stored_exception : public std::exception {
public:
    explicit stored_exception(std::string message) : m_message(std::move(message)) {}
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

template <typename T>
struct storage {
    using type = T;
};
template <>
struct storage<std::exception> {
    using type = stored_exception;
};
template <typename T>
using storage_t = typename storage<T>::type;

using comparator = bool (*)(const boost::any&, const boost::any&);

bool never_less(const boost::any&, const boost::any&);

template <typename T>
bool less_by_value(const boost::any& left, const boost::any& right)
{
    return boost::any_cast<const T&>(left) < boost::any_cast<const T&>(right);
}

template <typename T>
bool less_by_address(const boost::any& left, const boost::any& right)
{
    return std::less<const void*>()(boost::any_cast<const T&>(left).get(),
                                    boost::any_cast<const T&>(right).get());
}

bool less_by_message(const boost::any& left, const boost::any& right);

// The comparator installed for each held type.
template <typename T>
struct ordering {
    static comparator get() { return &less_by_value<T>; }
};
template <typename T>
struct ordering<std::shared_ptr<T>> {
    static comparator get() { return &less_by_address<std::shared_ptr<T>>; }
};
template <>
struct ordering<empty> {
    static comparator get() { return &never_less; }
};
template <>
struct ordering<null> {
    static comparator get() { return &never_less; }
};
template <>
struct ordering<PBNull> {
    static comparator get() { return &never_less; }
};
template <>
struct ordering<std::exception_ptr> {
    static comparator get() { return &never_less; }
};
template <>
struct ordering<stored_exception> {
    static comparator get() { return &less_by_message; }
};

// Which of the held pointer types a shared pointer to T is stored as.
template <typename T>
using held_pointer_t = std::conditional_t<
    std::is_base_of<JSObject, T>::value, std::shared_ptr<JSObject>,
    std::conditional_t<std::is_base_of<JSAPI, T>::value, std::shared_ptr<JSAPI>,
                       std::conditional_t<std::is_base_of<script_error, T>::value,
                                          std::shared_ptr<script_error>, std::shared_ptr<T>>>>;

template <typename T>
struct is_held_pointer
    : std::bool_constant<std::is_same<T, JSObject>::value || std::is_same<T, JSAPI>::value ||
                         std::is_same<T, script_error>::value || std::is_same<T, HostWire::AlienLarvae>::value> {};

template <typename T>
struct always_false : std::false_type {};

}  // namespace variant_detail

class variant {
public:
    variant() noexcept;
    variant(const variant& other);
    variant(variant&& other) noexcept;
    variant& operator=(const variant& other);
    variant& operator=(variant&& other) noexcept;
    ~variant();

    variant(variant_detail::empty value) { store(value); }
    variant(variant_detail::null value) { store(value); }
    variant(PBNull value) { store(value); }
    variant(bool value) { store(value); }
    variant(int value) { store(value); }
    variant(unsigned int value) { store(value); }
    variant(long value) { store(value); }
    variant(unsigned long value) { store(value); }
    variant(long long value) { store(value); }
    variant(unsigned long long value) { store(value); }
    variant(double value) { store(value); }
    variant(const char* text) { fromCString(text); }
    variant(const std::string& value) { store(value); }
    variant(std::string&& value) { store(std::move(value)); }
    variant(const std::wstring& value) { store(value); }
    variant(const VariantList& value) { store(value); }
    variant(VariantList&& value) { store(std::move(value)); }
    variant(const VariantMap& value) { store(value); }
    variant(VariantMap&& value) { store(std::move(value)); }
    variant(const std::runtime_error& error) { store(variant_detail::stored_exception(error.what())); }
    variant(const std::exception& error) { store(variant_detail::stored_exception(error.what())); }
    variant(const std::exception_ptr& error) { store(error); }
    variant(const std::pair<unsigned int, unsigned int>& ids) { store(ids); }

    // Shared pointers to scriptable objects, page objects, script errors and
    // HostWire references; a pointer to a subclass is stored as its base.
    template <typename T>
    variant(const std::shared_ptr<T>& object)
    {
        using held = variant_detail::held_pointer_t<T>;
        static_assert(variant_detail::is_held_pointer<typename held::element_type>::value,
                      "a variant holds only pointers to JSAPI, JSObject, script_error or AlienLarvae");
        store(held(object));
    }

    // Replaces the value; the same as assigning a variant made from it.
    template <typename T>
    variant& assign(T&& value)
    {
        return *this = variant(std::forward<T>(value));
    }

    const std::type_info& get_type() const;

    template <typename T>
    bool holds() const
    {
        return !m_content.empty() && m_content.type() == typeid(variant_detail::storage_t<T>);
    }

    // No content, or the explicit undefined marker.
    bool empty() const { return m_content.empty() || holds<variant_detail::empty>(); }
    bool is_null() const { return holds<PBNull>(); }

    // The strict read: only the exact held type is accepted.
    template <typename T>
    variant_detail::storage_t<T> cast() const
    {
        if (!holds<T>())
            throw bad_variant_cast(get_type(), typeid(T));
        return boost::any_cast<const variant_detail::storage_t<T>&>(m_content);
    }

    // The held value itself, without a copy, when the held type is exactly T;
    // null otherwise. Through the non-const form a caller that is done with
    // the variant may move the value out; the variant then holds what the
    // move left.
    template <typename T>
    const variant_detail::storage_t<T>* get_if() const
    {
        return holds<T>() ? boost::any_cast<variant_detail::storage_t<T>>(&m_content) : nullptr;
    }
    template <typename T>
    variant_detail::storage_t<T>* get_if()
    {
        return holds<T>() ? boost::any_cast<variant_detail::storage_t<T>>(&m_content) : nullptr;
    }

    // The converting read between numbers, bool, the string types and object
    // pointers; only the targets specialised in variant_convert.cpp exist.
    template <typename T>
    T convert_cast() const
    {
        static_assert(variant_detail::always_false<T>::value,
                      "convert_cast has no rule for this type; use cast<T>()");
        return T();
    }

    bool operator<(const variant& right) const;

    void fromCString(const char* text);

private:
    template <typename T>
    void store(T&& value)
    {
        using held = std::decay_t<T>;
        m_content = boost::any(std::forward<T>(value));
        m_less = variant_detail::ordering<held>::get();
    }

    boost::any m_content;
    variant_detail::comparator m_less;
};

template <> std::string variant::convert_cast<std::string>() const;
template <> std::wstring variant::convert_cast<std::wstring>() const;
template <> bool variant::convert_cast<bool>() const;
template <> short variant::convert_cast<short>() const;
template <> unsigned short variant::convert_cast<unsigned short>() const;
template <> int variant::convert_cast<int>() const;
template <> unsigned int variant::convert_cast<unsigned int>() const;
template <> long variant::convert_cast<long>() const;
template <> unsigned long variant::convert_cast<unsigned long>() const;
template <> long long variant::convert_cast<long long>() const;
template <> unsigned long long variant::convert_cast<unsigned long long>() const;
template <> float variant::convert_cast<float>() const;
template <> double variant::convert_cast<double>() const;
template <> std::shared_ptr<JSAPI> variant::convert_cast<std::shared_ptr<JSAPI>>() const;
template <> std::shared_ptr<JSObject> variant::convert_cast<std::shared_ptr<JSObject>>() const;

// One std::string variant per element, in order.
VariantList stringsToVariantList(const std::vector<std::string>& strings);

}  // namespace PB
