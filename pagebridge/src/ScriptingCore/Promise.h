#pragma once
// Promises and deferreds: a value that arrives later. Settlement is
// synchronous: callbacks run inside resolve/reject on the settling thread, or
// at once inside the registering call when the state is already settled.
// The states take no lock; one state must be settled and observed from one
// thread at a time.

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
        value = v;
        this->state = SettleState::Resolved;
        this->failureCallbacks.clear();
        std::vector<typename StateBase<T>::SuccessCallback> callbacks;
        callbacks.swap(this->successCallbacks);
        // Every callback gets its own copy of this resolution's value, even
        // if one of them settles the state again.
        for (const auto& callback : callbacks) {
            auto call(callback);
            T copy(v);
            call(std::move(copy));
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

inline std::exception_ptr invalidPromise()
{
    return std::make_exception_ptr(std::runtime_error("Promise invalid"));
}

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

template <typename T>
struct ThenFunction {
    template <typename U>
    using type = std::function<U(T)>;
};
template <>
struct ThenFunction<void> {
    template <typename U>
    using type = std::function<U()>;
};

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

    // A continuation: the derived promise takes the function's result; an
    // exception derived from std::exception rejects it; without a failure
    // function the error passes on unchanged.
    template <typename U>
    Promise<U> then(typename promise_detail::ThenFunction<T>::template type<U> onSuccess,
                    std::function<U(std::exception_ptr)> onFail = std::function<U(std::exception_ptr)>()) const
    {
        if (!m_state)
            return Promise<U>(promise_detail::invalidPromise());
        Deferred<U> next;
        SuccessCallback successContinuation;
        if constexpr (std::is_void<T>::value) {
            successContinuation = [next, onSuccess]() {
                try {
                    promise_detail::resolveWith(next, onSuccess);
                } catch (const std::exception&) {
                    next.reject(std::current_exception());
                }
            };
        } else {
            successContinuation = [next, onSuccess](T value) {
                try {
                    promise_detail::resolveWith(next, onSuccess, std::move(value));
                } catch (const std::exception&) {
                    next.reject(std::current_exception());
                }
            };
        }
        ErrorCallback failureContinuation;
        if (onFail) {
            failureContinuation = [next, onFail](std::exception_ptr error) {
                try {
                    promise_detail::resolveWith(next, onFail, error);
                } catch (const std::exception&) {
                    next.reject(std::current_exception());
                }
            };
        } else {
            failureContinuation = [next](std::exception_ptr error) { next.reject(error); };
        }
        done(std::move(successContinuation), std::move(failureContinuation));
        return next.promise();
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
    void requireState() const
    {
        if (!m_state)
            throw std::runtime_error("Promise invalid");
    }

    std::shared_ptr<StateData> m_state;
};

}  // namespace PB
