#pragma once
// The framework's exceptions. script_error and its subclasses reach the page as
// script errors carrying their text; the two cast failures signal a value or
// object of the wrong kind.

#include <stdexcept>
#include <string>
#include <typeinfo>

namespace PB {

class script_error : public std::runtime_error {
public:
    explicit script_error(std::string error);
    script_error(const script_error&) = default;
    script_error& operator=(const script_error&) = default;
    ~script_error() override;
    const char* what() const noexcept override { return m_error.c_str(); }

    std::string m_error;
};

class invalid_arguments : public script_error {
public:
    invalid_arguments();
    explicit invalid_arguments(std::string error);
};

class invalid_member : public script_error {
public:
    explicit invalid_member(const std::string& memberName);
};

class object_invalidated : public script_error {
public:
    object_invalidated();
};

class bad_cast_ext : public std::bad_cast {
public:
    explicit bad_cast_ext(std::string details);
    ~bad_cast_ext() override;
    const char* what() const noexcept override { return m_details.c_str(); }

    std::string m_details;
};

// from and to name the held and the wanted type; both point at names that
// live as long as the process (see type_name.h).
class bad_variant_cast : public std::bad_cast {
public:
    bad_variant_cast(const std::type_info& src, const std::type_info& dest);
    ~bad_variant_cast() override;
    const char* what() const noexcept override { return "bad cast"; }

    const char* from;
    const char* to;
};

}  // namespace PB
