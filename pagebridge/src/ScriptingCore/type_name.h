#pragma once
// Readable names of types for messages and for ordering values of different
// types. The platform's own type_info names are mangled; these are not.

#include <typeinfo>

namespace PB {

// The demangled name of the type; the pointer stays valid for the life of the process.
const char* type_name(const std::type_info& type);

}  // namespace PB
