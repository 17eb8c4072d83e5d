#pragma once
// Promises and deferreds: a value that arrives later. Settlement is
// synchronous: callbacks run inside resolve/reject on the settling thread, or
// at once inside the registering call when the state is already settled.
// The states take no lock; one state must be settled and observed from one
// thread at a time.

#include <cstddef>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "ScriptingCore/variant.h"

namespace PB {

template <typename T>
class Promise;
template <typename T>
class Deferred;
class JSObject;

enum class SettleState : std::int32_t { Pending = 0, Resolved = 1, Rejected = 2 };

namespace promise_detail {

using ErrorCallback = std::function<void(std::exception_ptr)>;

template <typename T>
struct SuccessCallbackOf {
    using type = std::function<void(T)>;
};
template <>
struct SuccessCallbackOf<void> {
    using type = std::function<void()>;
};

// The parts of a state that do not depend on its value type.
template <typename T>
struct StateBase {
    using SuccessCallback = typename SuccessCallbackOf<T>::type;

    SettleState state = SettleState::Pending;
    std::exception_ptr error;
    std::vector<SuccessCallback> successCallbacks;
    std::vector<ErrorCallback> failureCallbacks;

    void reject(std::exception_ptr e)
    {
        error = e;
        state = SettleState::Rejected;
        successCallbacks.clear();
        // The list is taken out before it runs, so a callback that settles
        // this state again cannot disturb the loop.
        std::vector<ErrorCallback> callbacks;
        callbacks.swap(failureCallbacks);
        for (const ErrorCallback& callback : callbacks) {
            ErrorCallback call(callback);
            call(e);
        }
    }

    void addFailure(ErrorCallback callback)
    {
        if (!callback)
            return;
        if (state == SettleState::Pending)
            failureCallbacks.push_back(std::move(callback));
        else if (state == SettleState::Rejected)
            callback(error);
    }
};

template <typename T>
struct State : StateBase<T> {
    T value{};

    State() = default;
    explicit State(T v) : value(std::move(v)) { this->state = SettleState::Resolved; }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    // A state abandoned while someone waits for its failure rejects itself,
    // so that derived promises learn of it. Nothing may leave a destructor:
    // an exception from a callback here is dropped.
    ~State()
    {
        if (this->state == SettleState::Pending && !this->failureCallbacks.empty()) {
            try {
                this->reject(std::make_exception_ptr(std::runtime_error("Deferred object destroyed: 1")));
            } catch (...) {
            }
        }
    }

    void resolve(T v)
    {
        std::vector<typename StateBase<T>::SuccessCallback> callbacks;
        callbacks.swap(this->successCallbacks);
        // The value is this resolution's own: the state keeps it, or a copy
        // of it when callbacks wait too.
        if (callbacks.empty())
            value = std::move(v);
        else
            value = v;
        this->state = SettleState::Resolved;
        this->failureCallbacks.clear();
        // Every callback gets its own copy of this resolution's value, even
        // if one of them settles the state again; the last one gets the value.
        for (std::size_t i = 0; i < callbacks.size(); ++i) {
            auto call(callbacks[i]);
            if (i + 1 == callbacks.size()) {
                call(std::move(v));
            } else {
                T copy(v);
                call(std::move(copy));
            }
        }
    }

    void addSuccess(typename StateBase<T>::SuccessCallback callback)
    {
        if (!callback)
            return;
        if (this->state == SettleState::Pending)
            this->successCallbacks.push_back(std::move(callback));
        else if (this->state == SettleState::Resolved)
            callback(T(value));
    }
};

// A pending void state goes silently.
template <>
struct State<void> : StateBase<void> {
    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    void resolve()
    {
        state = SettleState::Resolved;
        failureCallbacks.clear();
        std::vector<SuccessCallback> callbacks;
        callbacks.swap(successCallbacks);
        for (const auto& callback : callbacks) {
            SuccessCallback call(callback);
            call();
        }
    }

    void addSuccess(SuccessCallback callback)
    {
        if (!callback)
            return;
        if (state == SettleState::Pending)
            successCallbacks.push_back(std::move(callback));
        else if (state == SettleState::Resolved)
            callback();
    }
};

// The typed promises made from a promise of a raw page value: a page
// object, a string, an int, or a list of page objects.
template <typename U>
struct converts_from_variant : std::false_type {};
template <>
struct converts_from_variant<std::shared_ptr<JSObject>> : std::true_type {};
template <>
struct converts_from_variant<std::string> : std::true_type {};
template <>
struct converts_from_variant<int> : std::true_type {};
template <>
struct converts_from_variant<std::vector<std::shared_ptr<JSObject>>> : std::true_type {};

inline std::exception_ptr invalidPromise()
{
    return std::make_exception_ptr(std::runtime_error("Promise invalid"));
}

}  // namespace promise_detail

namespace promise_detail {
// Settles next with the value converted to U (defined for the types above).
template <typename U>
void settleFromVariant(const variant& value, const Deferred<U>& next);
}  // namespace promise_detail

template <typename T>
class Deferred {
public:
    using StateData = promise_detail::State<T>;

    Deferred() : m_state(std::make_shared<StateData>()) {}

    Promise<T> promise() const { return Promise<T>(m_state); }

    template <typename U = T, typename = std::enable_if_t<!std::is_void<U>::value>>
    void resolve(U value) const
    {
        m_state->resolve(std::move(value));
    }
    template <typename U = T, typename = std::enable_if_t<std::is_void<U>::value>, typename = void>
    void resolve() const
    {
        m_state->resolve();
    }

    void reject(std::exception_ptr error) const { m_state->reject(error); }

private:
    std::shared_ptr<StateData> m_state;
};

namespace promise_detail {

// Calls f with the arguments and resolves next with what it returns.
template <typename U, typename F, typename... Args>
void resolveWith(const Deferred<U>& next, F& f, Args&&... args)
{
    if constexpr (std::is_void<U>::value) {
        f(std::forward<Args>(args)...);
        next.resolve();
    } else {
        next.resolve(f(std::forward<Args>(args)...));
    }
}

template <typename P>
struct is_promise : std::false_type {};
template <typename V>
struct is_promise<Promise<V>> : std::true_type {};

// The result type of a continuation called with a T (with nothing for void).
template <typename F, typename T>
struct continuation_result {
    using type = std::invoke_result_t<F&, T>;
};
template <typename F>
struct continuation_result<F, void> {
    using type = std::invoke_result_t<F&>;
};

// Whether a failure function was given: nullptr and an empty std::function
// mean there is none.
inline bool present(std::nullptr_t)
{
    return false;
}
template <typename F>
bool present(const F& f)
{
    if constexpr (std::is_constructible<bool, const F&>::value)
        return static_cast<bool>(f);
    else
        return true;
}

}  // namespace promise_detail

template <typename T>
class Promise {
public:
    using StateData = promise_detail::State<T>;
    using SuccessCallback = typename promise_detail::SuccessCallbackOf<T>::type;
    using ErrorCallback = promise_detail::ErrorCallback;

    Promise() = default;

    // Resolved from the start.
    template <typename U, typename = std::enable_if_t<!std::is_void<T>::value && std::is_convertible<U, T>::value &&
                                                      !std::is_same<std::decay_t<U>, std::exception_ptr>::value>>
    Promise(U&& value) : m_state(std::make_shared<StateData>(T(std::forward<U>(value))))
    {
    }

    // Rejected from the start.
    Promise(std::exception_ptr error) : m_state(std::make_shared<StateData>()) { m_state->reject(error); }

    explicit Promise(std::shared_ptr<StateData> state) : m_state(std::move(state)) {}

    // A typed promise of a raw page value. When the source has already
    // settled, a failed conversion is thrown from here; when the page answers
    // later, it rejects this promise instead. Throws "Promise invalid" for a
    // source without state.
    template <typename V, typename = std::enable_if_t<std::is_same<V, variant>::value &&
                                                      promise_detail::converts_from_variant<T>::value>>
    Promise(const Promise<V>& source)
    {
        Deferred<T> next;
        auto building = std::make_shared<bool>(true);
        source.done(
            [next, building](variant value) {
                try {
                    promise_detail::settleFromVariant<T>(value, next);
                } catch (const std::exception&) {
                    if (*building)
                        throw;
                    next.reject(std::current_exception());
                }
            },
            [next](std::exception_ptr error) { next.reject(error); });
        *building = false;
        m_state = next.promise().m_state;
    }

    bool valid() const { return static_cast<bool>(m_state); }

    // The failure function is registered (or run) before the success function.
    void done(SuccessCallback onSuccess, ErrorCallback onFail = ErrorCallback()) const
    {
        requireState();
        m_state->addFailure(std::move(onFail));
        m_state->addSuccess(std::move(onSuccess));
    }

    void fail(ErrorCallback onFail) const
    {
        requireState();
        m_state->addFailure(std::move(onFail));
    }

    // done, for the last holder of a promise: when no other handle shares
    // its state and the value is already there, onSuccess gets that value
    // itself instead of a copy, and this handle lets the state go (nobody is
    // left to read it). Otherwise exactly done, and the handle keeps its state.
    template <typename U = T, typename = std::enable_if_t<!std::is_void<U>::value>>
    void handOff(SuccessCallback onSuccess, ErrorCallback onFail = ErrorCallback())
    {
        requireState();
        if (onSuccess && m_state.use_count() == 1 && m_state->state == SettleState::Resolved) {
            T value = std::move(m_state->value);
            m_state.reset();
            onSuccess(std::move(value));
            return;
        }
        m_state->addFailure(std::move(onFail));
        m_state->addSuccess(std::move(onSuccess));
    }

    // A continuation. The function returns either a value, which resolves
    // the derived promise, or a further promise, which the derived promise
    // then follows. An exception derived from std::exception rejects the
    // derived promise; without a failure function the error passes on
    // unchanged, with one the failure function recovers the chain.
    template <typename U, typename F, typename G = std::nullptr_t>
    Promise<U> then(F onSuccess, G onFail = nullptr) const
    {
        if (!m_state)
            return Promise<U>(promise_detail::invalidPromise());
        Deferred<U> next;
        SuccessCallback successContinuation;
        if constexpr (std::is_void<T>::value) {
            successContinuation = [next, onSuccess]() mutable {
                settleWith(next, [&] { return onSuccess(); });
            };
        } else {
            successContinuation = [next, onSuccess](T value) mutable {
                settleWith(next, [&] { return onSuccess(std::move(value)); });
            };
        }
        ErrorCallback failureContinuation;
        if constexpr (std::is_same<G, std::nullptr_t>::value) {
            failureContinuation = [next](std::exception_ptr error) { next.reject(error); };
        } else {
            if (promise_detail::present(onFail))
                failureContinuation = [next, onFail](std::exception_ptr error) mutable {
                    settleWith(next, [&] { return onFail(error); });
                };
            else
                failureContinuation = [next](std::exception_ptr error) { next.reject(error); };
        }
        done(std::move(successContinuation), std::move(failureContinuation));
        return next.promise();
    }

    // Makes next follow a promise (the inner promise of a continuation).
    template <typename U>
    static void follow(const Promise<U>& inner, const Deferred<U>& next)
    {
        if constexpr (std::is_void<U>::value)
            inner.done([next]() { next.resolve(); }, [next](std::exception_ptr e) { next.reject(e); });
        else
            inner.done([next](U value) { next.resolve(std::move(value)); },
                       [next](std::exception_ptr e) { next.reject(e); });
    }

    // The form that registered methods return.
    template <typename U = T,
              typename = std::enable_if_t<std::is_same<U, int>::value || std::is_same<U, VariantList>::value ||
                                          std::is_same<U, VariantMap>::value>>
    operator Promise<variant>() const
    {
        Deferred<variant> next;
        done([next](T value) { next.resolve(variant(std::move(value))); },
             [next](std::exception_ptr error) { next.reject(error); });
        return next.promise();
    }

private:
    // Runs a continuation's function under the guard and settles next with
    // what it gives: a value, or the outcome of a further promise.
    template <typename U, typename Call>
    static void settleWith(const Deferred<U>& next, Call call)
    {
        try {
            using R = decltype(call());
            if constexpr (promise_detail::is_promise<std::decay_t<R>>::value) {
                static_assert(std::is_same<std::decay_t<R>, Promise<U>>::value,
                              "a continuation returning a promise must return Promise<U>");
                follow(call(), next);
            } else {
                promise_detail::resolveWith(next, call);
            }
        } catch (const std::exception&) {
            next.reject(std::current_exception());
        }
    }

    void requireState() const
    {
        if (!m_state)
            throw std::runtime_error("Promise invalid");
    }

    std::shared_ptr<StateData> m_state;
};

}  // namespace PB
