#include "NpapiCore/NPPromise.h"

#include <stdexcept>
#include <typeinfo>

#include "NpapiCore/NpapiBrowserHost.h"
#include "NpapiCore/OwnedNPVariants.h"
#include "ScriptingCore/Log.h"

namespace PB {
namespace Npapi {

namespace {

// Gives one browser reference back when it goes.
class ReleaseGuard {
public:
    ReleaseGuard(const NpapiBrowserHost& host, NPObject* obj) : m_host(host), m_obj(obj) {}
    ~ReleaseGuard()
    {
        if (m_obj)
            m_host.ReleaseObject(m_obj);
    }
    ReleaseGuard(const ReleaseGuard&) = delete;
    ReleaseGuard& operator=(const ReleaseGuard&) = delete;

private:
    const NpapiBrowserHost& m_host;
    NPObject* m_obj;
};

}  // namespace

NPPromise::NPPromise(const std::shared_ptr<NpapiBrowserHost>& host, Promise<variant> promise)
    : m_host(host), m_promise(std::move(promise))
{
}

std::shared_ptr<NPPromise> NPPromise::create(const std::shared_ptr<NpapiBrowserHost>& host,
                                             Promise<variant> promise)
{
    auto bridge = std::make_shared<NPPromise>(host, std::move(promise));
    host->trackPromise(bridge);
    bridge->init(host);
    return bridge;
}

NPPromise::~NPPromise()
{
    std::shared_ptr<NpapiBrowserHost> host;
    try {
        host = m_host.lock();
    } catch (...) {
    }
    // A promise that dies unsettled tells the page; away from the main
    // thread the browser cannot be called, and without a host there is no page.
    if (host && host->isMainThread() && !m_settled && m_deferred && m_pagePromise)
        settle("reject", variant(std::runtime_error("Invalidated")));
    releaseObjects(host);
}

void NPPromise::releaseObjects(const std::shared_ptr<NpapiBrowserHost>& host)
{
    if (host) {
        if (m_deferred)
            host->deferredRelease(m_deferred);
        if (m_pagePromise)
            host->deferredRelease(m_pagePromise);
    }
    m_deferred = nullptr;
    m_pagePromise = nullptr;
}

void NPPromise::init(const std::shared_ptr<NpapiBrowserHost>& host)
{
    NPObject* window = nullptr;
    if (host->GetValue(NPNVWindowNPObject, &window) != NPERR_NO_ERROR || !window)
        throw std::runtime_error("Could not connect to browser");
    ReleaseGuard windowGuard(*host, window);

    m_deferred = host->getPromiseObject();
    OwnedNPVariants answer(host, 1);
    if (!host->GetProperty(m_deferred, host->GetStringIdentifier("promise"), &answer[0]) ||
        answer[0].type != NPVariantType_Object || !answer[0].value.objectValue)
        throw std::runtime_error("Could not use deferred object");
    m_pagePromise = host->RetainObject(answer[0].value.objectValue);

    // Only the callbacks hold this object from here on; holding the plug-in
    // promise as well would keep both alive when nobody settles it. An answer
    // already there that nobody else holds comes over without a copy.
    std::shared_ptr<NPPromise> self = shared_from_this();
    Promise<variant> promise = std::move(m_promise);
    m_promise = Promise<variant>();
    promise.handOff([self](variant value) { self->onResolved(std::move(value)); },
                    [self](std::exception_ptr error) { self->onRejected(variant(error)); });
}

void NPPromise::onResolved(variant value)
{
    schedule(&NPPromise::resolve, std::move(value));
}

void NPPromise::onRejected(variant reason)
{
    schedule(&NPPromise::reject, std::move(reason));
}

void NPPromise::schedule(void (NPPromise::*member)(const variant&), variant value)
{
    // Runs on the settling thread: a failure here must not reach whoever settled.
    try {
        std::shared_ptr<NpapiBrowserHost> host = m_host.lock();
        if (!host)
            return;
        std::shared_ptr<NPPromise> self = shared_from_this();
        host->ScheduleOnMainThread(self, [self, member, value = std::move(value)] { ((*self).*member)(value); });
    } catch (...) {
    }
}

void NPPromise::resolve(const variant& value)
{
    settle("resolve", value);
}

void NPPromise::reject(const variant& reason)
{
    settle("reject", reason);
}

void NPPromise::settle(const char* method, const variant& value)
{
    if (m_settled)
        return;
    std::shared_ptr<NpapiBrowserHost> host = m_host.lock();
    m_settled = true;
    if (!host || !m_deferred)
        return;
    try {
        OwnedNPVariants arg(host, 1);
        try {
            host->getNPVariant(&arg[0], value);
        } catch (const std::exception& e) {
            // A value the page cannot take still ends the page promise.
            arg.release(0);
            method = "reject";
            host->getNPVariant(&arg[0], variant(std::string(e.what())));
        }
        OwnedNPVariants result(host, 1);
        host->Invoke(m_deferred, host->GetStringIdentifier(method), arg.data(), 1, &result[0]);
    } catch (const std::exception& e) {
        Log::error("NPAPI", std::string("Could not settle page promise: ") + e.what(), __FILE__, __LINE__,
                   "PB::Npapi::NPPromise::settle");
    }
    if (m_deferred) {
        host->ReleaseObject(m_deferred);
        m_deferred = nullptr;
    }
}

void NPPromise::forgetPage()
{
    m_settled = true;
    std::shared_ptr<NpapiBrowserHost> host = m_host.lock();
    if (host) {
        if (m_deferred)
            host->ReleaseObject(m_deferred);
        if (m_pagePromise)
            host->ReleaseObject(m_pagePromise);
    }
    m_deferred = nullptr;
    m_pagePromise = nullptr;
}

std::shared_ptr<NpapiBrowserHost> NPPromise::getHost()
{
    std::shared_ptr<NpapiBrowserHost> host = m_host.lock();
    if (!host) {
        invalidate();
        throw std::bad_cast();
    }
    return host;
}

void NPPromise::invalidate()
{
    std::shared_ptr<NpapiBrowserHost> host = m_host.lock();
    if (!m_settled) {
        if (host && host->isMainThread())
            settle("reject", variant(std::runtime_error("Invalidated")));
        else if (!host)
            m_settled = true;  // the page has gone with the host
    }
    m_promise = Promise<variant>();
}

}  // namespace Npapi
}  // namespace PB
