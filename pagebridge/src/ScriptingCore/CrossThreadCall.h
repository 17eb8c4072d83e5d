#pragma once
// Runs a bound call on the browser's main thread: waiting for its result
// (syncCall) or posted without one (asyncCall). Enter through
// BrowserHost::CallOnMainThread and BrowserHost::ScheduleOnMainThread, which
// hold the host's crossThreadLock around these.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <type_traits>

#include "ScriptingCore/FunctorCall.h"
#include "ScriptingCore/exceptions.h"
#include "ScriptingCore/variant.h"

namespace PB {

class BrowserHost;

namespace crossthread_detail {
// The host operations a call needs, kept out of line so that this header does
// not depend on the host's own.
bool isMainThread(const BrowserHost& host);
bool isShutDown(const BrowserHost& host);
bool schedule(const BrowserHost& host, void (*function)(void*), void* data);
}  // namespace crossthread_detail

class CrossThreadCall {
public:
    CrossThreadCall(const CrossThreadCall&) = delete;
    CrossThreadCall& operator=(const CrossThreadCall&) = delete;
    virtual ~CrossThreadCall() = default;

    template <typename Functor>
    static auto syncCall(const std::shared_ptr<BrowserHost>& host, Functor func) -> decltype(func());

    template <typename Owner, typename Functor>
    static void asyncCall(const std::shared_ptr<BrowserHost>& host, std::shared_ptr<Owner> owner, Functor func);

    static void syncCallbackFunctor(void* userData);
    static void asyncCallbackFunctor(void* userData);

private:
    explicit CrossThreadCall(const std::shared_ptr<FunctorCall>& funct) : funct(funct) {}

    // Throws the carried script error, if any.
    static void rethrowCarried(const variant& result);

    std::shared_ptr<FunctorCall> funct;
    variant m_result;
    bool m_returned = false;
    std::condition_variable m_doneSignal;
    std::mutex m_doneMutex;
};

template <typename Functor>
auto CrossThreadCall::syncCall(const std::shared_ptr<BrowserHost>& host, Functor func) -> decltype(func())
{
    using Result = decltype(func());
    using Impl = FunctorCallImpl<Functor, bool, Result>;
    auto funcCall = std::make_shared<Impl>(std::move(func));

    if (crossthread_detail::isMainThread(*host)) {
        funcCall->call();
        if constexpr (!std::is_void<Result>::value)
            return funcCall->retVal;
        else
            return;
    }

    std::shared_ptr<CrossThreadCall> call(new CrossThreadCall(funcCall));
    auto* weak = new std::weak_ptr<CrossThreadCall>(call);
    variant carried;
    std::unique_lock<std::mutex> lock(call->m_doneMutex);
    // The lock is held before scheduling, so the main thread cannot signal
    // before this thread waits.
    if (!crossthread_detail::schedule(*host, &CrossThreadCall::syncCallbackFunctor, weak)) {
        delete weak;
        throw script_error("Could not marshal to main thread");
    }
    while (!call->m_returned && !crossthread_detail::isShutDown(*host))
        call->m_doneSignal.wait_for(lock, std::chrono::milliseconds(10));
    if (crossthread_detail::isShutDown(*host))
        throw script_error("Shutting down");
    carried = call->m_result;
    lock.unlock();
    call.reset();
    rethrowCarried(carried);
    if constexpr (!std::is_void<Result>::value)
        return funcCall->retVal;
}

template <typename Owner, typename Functor>
void CrossThreadCall::asyncCall(const std::shared_ptr<BrowserHost>& host, std::shared_ptr<Owner> owner, Functor func)
{
    using Impl = FunctorCallImpl<Functor, Owner, void>;
    std::shared_ptr<FunctorCall> funcCall = std::make_shared<Impl>(std::move(owner), std::move(func));
    auto* call = new CrossThreadCall(funcCall);
    // There is no shortcut on the main thread: the call is always posted.
    if (!crossthread_detail::schedule(*host, &CrossThreadCall::asyncCallbackFunctor, call))
        delete call;
}

}  // namespace PB
