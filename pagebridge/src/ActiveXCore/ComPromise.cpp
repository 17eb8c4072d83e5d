#include "ActiveXCore/ComPromise.h"

#include <stdexcept>
#include <typeinfo>

#include "ActiveXCore/ActiveXBrowserHost.h"
#include "ActiveXCore/IDispatchAPI.h"

namespace PB {
namespace ActiveX {

std::shared_ptr<ComPromise> ComPromise::create(const std::shared_ptr<ActiveXBrowserHost>& host,
                                               Promise<variant> promise)
{
    auto bridge = std::make_shared<ComPromise>(host, std::move(promise));
    bridge->init(host);
    return bridge;
}

ComPromise::ComPromise(const std::shared_ptr<ActiveXBrowserHost>& host, Promise<variant> promise)
    : m_host(host), m_promise(std::move(promise))
{
}

ComPromise::~ComPromise()
{
    try {
        getHost();
        invalidate();
    } catch (...) {
    }
}

void ComPromise::init(const std::shared_ptr<ActiveXBrowserHost>& host)
{
    try {
        m_deferred = host->createPageDeferred();
        const JSObjectPtr promise =
            std::dynamic_pointer_cast<IDispatchAPI>(m_deferred)->getPropertySync("promise").cast<JSObjectPtr>();
        m_pagePromise = std::dynamic_pointer_cast<IDispatchAPI>(promise);
        if (!m_pagePromise)
            throw std::runtime_error("no page promise");
    } catch (...) {
        m_deferred.reset();
        m_settled = true;  // nothing to settle: the page never saw a promise
        throw std::runtime_error("Could not use deferred object");
    }
    // An answer already there that nobody else holds comes over without a
    // copy; the settled promise is then no longer held here.
    const std::shared_ptr<ComPromise> self = shared_from_this();
    m_promise.handOff([self](variant value) { self->onResolved(std::move(value)); },
                      [self](std::exception_ptr error) { self->onRejected(variant(error)); });
}

std::shared_ptr<ActiveXBrowserHost> ComPromise::getHost()
{
    std::shared_ptr<ActiveXBrowserHost> host = m_host.lock();
    if (!host) {
        invalidate();
        throw std::bad_cast();
    }
    return host;
}

void ComPromise::onResolved(variant value)
{
    getHost()->ScheduleOnMainThread(shared_from_this(),
                                    [this, value = std::move(value)]() mutable { resolvePage(std::move(value)); });
}

void ComPromise::onRejected(variant value)
{
    getHost()->ScheduleOnMainThread(shared_from_this(),
                                    [this, value = std::move(value)]() mutable { rejectPage(std::move(value)); });
}

void ComPromise::resolvePage(variant value)
{
    settle("resolve", std::move(value));
}

void ComPromise::rejectPage(variant value)
{
    settle("reject", std::move(value));
}

void ComPromise::settle(const char* method, variant value)
{
    if (m_settled)
        return;
    getHost();
    m_settled = true;
    const std::shared_ptr<IDispatchAPI> deferred = std::dynamic_pointer_cast<IDispatchAPI>(m_deferred);
    m_deferred.reset();
    if (deferred) {
        VariantList args;
        args.push_back(std::move(value));
        deferred->invokeSync(method, args);
    }
}

void ComPromise::invalidate()
{
    // Without a host the page cannot be reached: the deferred is only let go.
    if (!m_settled) {
        if (m_host.expired()) {
            m_settled = true;
            m_deferred.reset();
        } else {
            rejectPage(variant(std::runtime_error("Invalidated")));
        }
    }
    m_promise = Promise<variant>();
}

}  // namespace ActiveX
}  // namespace PB
