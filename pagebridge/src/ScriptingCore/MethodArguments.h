#pragma once
// Reading the page's argument list as a member's parameter types, with the
// argument errors the page sees. Positions count from 1.

#include <cstddef>
#include <string>
#include <utility>

#include "ScriptingCore/Promise.h"
#include "ScriptingCore/variant.h"

namespace PB {
namespace detail {
namespace methods {

[[noreturn]] void throwNotOptional(std::size_t position);
[[noreturn]] void throwTooMany(std::size_t expected);
[[noreturn]] void throwConversion(const bad_variant_cast& e, std::size_t position);

// A promise born resolved with element i - 1, or an empty value when absent.
Promise<variant> argumentAsPromise(const VariantList& args, std::size_t position);

template <typename T>
Promise<variant> resultAsPromise(T value)
{
    return Promise<variant>(variant(std::move(value)));
}

template <typename T>
Promise<variant> castArgumentAsPromise(const variant& value, std::size_t position)
{
    try {
        return Promise<variant>(variant(value.convert_cast<T>()));
    } catch (const bad_variant_cast& e) {
        throwConversion(e, position);
    }
}

template <typename T>
Promise<variant> typedArgumentAsPromise(const VariantList& args, std::size_t position)
{
    if (position > args.size())
        throwNotOptional(position);
    return castArgumentAsPromise<T>(args[position - 1], position);
}

template <typename T>
Promise<variant> lastTypedArgumentAsPromise(const VariantList& args, std::size_t position)
{
    if (args.size() > position)
        throwTooMany(position);
    return typedArgumentAsPromise<T>(args, position);
}

// The converting read of a value the caller is done with: a value held as
// exactly T is moved out rather than copied.
template <typename T>
T takeArgument(variant& value, std::size_t position)
{
    if (T* held = value.get_if<T>())
        return std::move(*held);
    try {
        return value.convert_cast<T>();
    } catch (const bad_variant_cast& e) {
        throwConversion(e, position);
    }
}

template <typename T>
T castArgument(const variant& value, std::size_t position)
{
    try {
        return value.cast<T>();
    } catch (const bad_variant_cast& e) {
        throwConversion(e, position);
    }
}

template <typename T>
T typedArgument(const VariantList& values, std::size_t position)
{
    if (position > values.size())
        throwNotOptional(position);
    return castArgument<T>(values[position - 1], position);
}

template <typename T>
T lastTypedArgument(const VariantList& values, std::size_t position)
{
    if (values.size() > position)
        throwTooMany(position);
    return typedArgument<T>(values, position);
}

}  // namespace methods
}  // namespace detail
}  // namespace PB
