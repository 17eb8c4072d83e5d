#include "ScriptingCore/exceptions.h"

#include "ScriptingCore/type_name.h"

namespace PB {

script_error::script_error(std::string error) : std::runtime_error(error), m_error(std::move(error)) {}
script_error::~script_error() = default;

invalid_arguments::invalid_arguments() : script_error("Invalid Arguments") {}
invalid_arguments::invalid_arguments(std::string error) : script_error(std::move(error)) {}

invalid_member::invalid_member(const std::string& memberName)
    : script_error("The specified member does not exist: " + memberName) {}

object_invalidated::object_invalidated() : script_error("This object is no longer valid") {}

bad_cast_ext::bad_cast_ext(std::string details) : m_details(std::move(details)) {}
bad_cast_ext::~bad_cast_ext() = default;

bad_variant_cast::bad_variant_cast(const std::type_info& src, const std::type_info& dest)
    : from(type_name(src)), to(type_name(dest)) {}
bad_variant_cast::~bad_variant_cast() = default;

}  // namespace PB
