#include "ScriptingCore/CrossThreadCall.h"

#include "ScriptingCore/BrowserHost.h"
#include "ScriptingCore/Log.h"

namespace PB {

namespace functor_detail {
void traceDestroyed(bool hasResult)
{
    Log::trace("FunctorCall",
               hasResult ? "Destroying FunctorCall object (non-void)" : "Destroying FunctorCall object (void)",
               "CrossThreadCall", __LINE__, "PB::FunctorCallImpl::~FunctorCallImpl");
}
}  // namespace functor_detail

namespace crossthread_detail {
bool isMainThread(const BrowserHost& host)
{
    return host.isMainThread();
}
bool isShutDown(const BrowserHost& host)
{
    return host.isShutDown();
}
bool schedule(const BrowserHost& host, void (*function)(void*), void* data)
{
    return host.ScheduleAsyncCall(function, data);
}
}  // namespace crossthread_detail

void CrossThreadCall::rethrowCarried(const variant& result)
{
    if (result.holds<std::shared_ptr<script_error>>()) {
        std::string message = result.cast<std::shared_ptr<script_error>>()->what();
        throw script_error(message);
    }
}

void CrossThreadCall::syncCallbackFunctor(void* userData)
{
    std::unique_ptr<std::weak_ptr<CrossThreadCall>> weak(static_cast<std::weak_ptr<CrossThreadCall>*>(userData));
    std::shared_ptr<CrossThreadCall> call = weak->lock();
    if (!call)
        return;  // the caller stopped waiting: the member is not run
    // Whatever the member throws, the waiting caller gets it back as a
    // script error; only the message crosses.
    std::string failure;
    bool failed = true;
    try {
        call->funct->call();
        failed = false;
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
    }
    if (failed)
        call->m_result = std::make_shared<script_error>(failure.empty() ? "Unknown exception" : failure);
    std::lock_guard<std::mutex> lock(call->m_doneMutex);
    call->m_returned = true;
    call->m_doneSignal.notify_one();
}

void CrossThreadCall::asyncCallbackFunctor(void* userData)
{
    std::unique_ptr<CrossThreadCall> call(static_cast<CrossThreadCall*>(userData));
    try {
        call->funct->call();
    } catch (const script_error&) {
    } catch (const bad_variant_cast&) {
    }
}

}  // namespace PB
