#pragma once
// Adapts a member function of any signature into the one callable that a
// registered method is: it takes the page's argument list and answers with a
// promise. Arguments are checked and converted in position order before the
// member runs; a PB::variant parameter is the only optional kind.
//
// The list belongs to the call, so each argument is read once, straight into
// the member's parameter, and a string is moved on rather than copied: a
// page's payload reaches the member without a copy of its own. The member
// runs on the calling thread inside the call; an exception derived from
// std::exception that it throws rejects the answer, except for a member
// without parameters called without arguments, whose exception leaves the
// call.

#include <exception>
#include <functional>
#include <stdexcept>
#include <tuple>
#include <type_traits>
#include <utility>

#include "ScriptingCore/MethodArguments.h"

namespace PB {

using CallMethodFunctor = std::function<Promise<variant>(VariantList)>;

namespace detail {
namespace methods {

template <typename A>
using param_t = std::decay_t<A>;

template <typename A>
constexpr bool is_variant_param = std::is_same<param_t<A>, variant>::value;

// The value of one position (counted from 1) of N, as the member's parameter
// type, taken out of the list.
template <typename A>
param_t<A> takeParameter(VariantList& args, std::size_t position, std::size_t count)
{
    if (position == count && args.size() > count)
        throwTooMany(count);
    if constexpr (is_variant_param<A>) {
        return position <= args.size() ? std::move(args[position - 1]) : variant();
    } else {
        if (position > args.size())
            throwNotOptional(position);
        return takeArgument<param_t<A>>(args[position - 1], position);
    }
}

// The answer follows the member's promise.
inline Promise<variant> follow(const Promise<variant>& result)
{
    Deferred<variant> answer;
    result.done([answer](variant value) { answer.resolve(std::move(value)); },
                [answer](std::exception_ptr error) { answer.reject(error); });
    return answer.promise();
}

inline Promise<variant> toPromise(Promise<variant> result)
{
    return follow(result);
}
inline Promise<variant> toPromise(Promise<VariantList> result)
{
    return result;
}
inline Promise<variant> toPromise(Promise<VariantMap> result)
{
    return result;
}
template <typename R>
Promise<variant> toPromise(R result)
{
    return resultAsPromise(std::move(result));
}

template <typename C, typename R, typename F, typename... A>
struct method_wrapper {
    F f;

    Promise<variant> operator()(C* instance, VariantList args) const
    {
        if constexpr (sizeof...(A) == 0) {
            // A member without parameters takes and ignores any arguments.
            if (args.empty())
                return call(instance, std::tuple<>(), std::index_sequence<>());
            return guarded([&] { return call(instance, std::tuple<>(), std::index_sequence<>()); });
        } else {
            return invokeWith(instance, args, std::index_sequence_for<A...>());
        }
    }

private:
    template <std::size_t... I>
    Promise<variant> invokeWith(C* instance, VariantList& args, std::index_sequence<I...> order) const
    {
        // Braced initialisation converts in position order, so the lowest
        // faulty position decides, and no member runs after a fault.
        std::tuple<param_t<A>...> values{takeParameter<A>(args, I + 1, sizeof...(A))...};
        return guarded([&] { return call(instance, std::move(values), order); });
    }

    template <typename Call>
    static Promise<variant> guarded(Call call)
    {
        try {
            return call();
        } catch (const std::exception&) {
            return Promise<variant>(std::current_exception());
        }
    }

    template <typename Values, std::size_t... I>
    Promise<variant> call(C* instance, Values values, std::index_sequence<I...>) const
    {
        if constexpr (std::is_void<R>::value) {
            (instance->*f)(std::get<I>(std::move(values))...);
            return Promise<variant>(variant());
        } else {
            return toPromise((instance->*f)(std::get<I>(std::move(values))...));
        }
    }
};

}  // namespace methods
}  // namespace detail

// The registered callable for a member of the instance. The instance is held
// by plain pointer: the object that registers its own members owns the table.
template <typename T, typename C, typename R, typename... A>
CallMethodFunctor make_method(T* instance, R (C::*member)(A...))
{
    using Wrapper = detail::methods::method_wrapper<C, R, R (C::*)(A...), A...>;
    return std::bind(Wrapper{member}, static_cast<C*>(instance), std::placeholders::_1);
}

template <typename T, typename C, typename R, typename... A>
CallMethodFunctor make_method(T* instance, R (C::*member)(A...) const)
{
    using Wrapper = detail::methods::method_wrapper<C, R, R (C::*)(A...) const, A...>;
    return std::bind(Wrapper{member}, static_cast<C*>(instance), std::placeholders::_1);
}

}  // namespace PB
