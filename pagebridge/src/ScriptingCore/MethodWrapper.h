#pragma once
// Adapts a member function of any signature into the one callable that a
// registered method is: it takes the page's argument list and answers with a
// promise. Arguments are checked and converted in position order before the
// member runs; a PB::variant parameter is the only optional kind.

#include <functional>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "ScriptingCore/MethodArguments.h"
#include "ScriptingCore/PromiseJoin.h"

namespace PB {

using CallMethodFunctor = std::function<Promise<variant>(const VariantList&)>;

namespace detail {
namespace methods {

template <typename A>
using param_t = std::decay_t<A>;

template <typename A>
constexpr bool is_variant_param = std::is_same<param_t<A>, variant>::value;

// The argument promise of one position (counted from 1) of N.
template <typename A>
Promise<variant> argumentPromise(const VariantList& args, std::size_t position, std::size_t count)
{
    if constexpr (is_variant_param<A>) {
        if (position == count && args.size() > count)
            throwTooMany(count);
        return argumentAsPromise(args, position);
    } else {
        if (position == count)
            return lastTypedArgumentAsPromise<param_t<A>>(args, position);
        return typedArgumentAsPromise<param_t<A>>(args, position);
    }
}

// The value of one position as the member's parameter type.
template <typename A>
param_t<A> argumentValue(const VariantList& values, std::size_t position, std::size_t count)
{
    if constexpr (is_variant_param<A>) {
        return position <= values.size() ? values[position - 1] : variant();
    } else {
        if (position == count)
            return lastTypedArgument<param_t<A>>(values, position);
        return typedArgument<param_t<A>>(values, position);
    }
}

inline Promise<variant> toPromise(Promise<variant> result)
{
    return result;
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

    Promise<variant> operator()(C* instance, const VariantList& args) const
    {
        constexpr std::size_t count = sizeof...(A);
        std::vector<Promise<variant>> promises;
        if constexpr (count == 0) {
            // A member without parameters takes and ignores any arguments.
            for (std::size_t i = 1; i <= args.size(); ++i)
                promises.push_back(argumentAsPromise(args, i));
        } else {
            collect(promises, args, std::index_sequence_for<A...>());
        }
        F member = f;
        return callWhenAllResolved(std::move(promises), [member, instance](std::vector<variant> values) {
            return callMember(member, instance, values, std::index_sequence_for<A...>());
        });
    }

private:
    template <std::size_t... I>
    static void collect(std::vector<Promise<variant>>& promises, const VariantList& args, std::index_sequence<I...>)
    {
        // The comma fold runs left to right, so the lowest faulty position decides.
        (promises.push_back(argumentPromise<A>(args, I + 1, sizeof...(A))), ...);
    }

    template <std::size_t... I>
    static Promise<variant> callMember(F member, C* instance, const VariantList& values, std::index_sequence<I...>)
    {
        // Braced initialisation converts the values in position order too.
        std::tuple<param_t<A>...> converted{argumentValue<A>(values, I + 1, sizeof...(A))...};
        if constexpr (std::is_void<R>::value) {
            (instance->*member)(std::get<I>(std::move(converted))...);
            return Promise<variant>(variant());
        } else {
            return toPromise((instance->*member)(std::get<I>(std::move(converted))...));
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
