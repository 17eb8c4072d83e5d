#pragma once
// Bridges one plug-in promise to a page promise: a deferred of the page's
// promise library is made, its "promise" handed to the page, and "resolve"
// or "reject" sent once, on the main thread, when the plug-in promise
// settles (on whatever thread that happens). The browser references it
// holds are given back when it goes.

#include <memory>

#include <npapi/npruntime.h>

#include "ScriptingCore/Promise.h"

namespace PB {
namespace Npapi {

class NpapiBrowserHost;

class NPPromise : public std::enable_shared_from_this<NPPromise> {
public:
    NPPromise(const std::shared_ptr<NpapiBrowserHost>& host, Promise<variant> promise);
    virtual ~NPPromise();
    NPPromise(const NPPromise&) = delete;
    NPPromise& operator=(const NPPromise&) = delete;

    // Constructs and connects to the page (main thread). Throws
    // std::runtime_error "Could not connect to browser", "Could not use
    // deferred object" or the host's texts for the promise library.
    static std::shared_ptr<NPPromise> create(const std::shared_ptr<NpapiBrowserHost>& host,
                                             Promise<variant> promise);
    void init(const std::shared_ptr<NpapiBrowserHost>& host);

    // The page promise object; the creator retains it for the browser.
    NPObject* getPagePromise() const { return m_pagePromise; }

    // Send the outcome to the page (main thread); only the first counts.
    void resolve(const variant& value);
    void reject(const variant& reason);

    // Called on the thread that settles the plug-in promise: they queue
    // resolve or reject for the main thread, and do nothing once the host
    // has gone or refuses. The value travels on, moved, to the page.
    void onResolved(variant value);
    void onRejected(variant reason);

    // The host shuts down (main thread): the page objects are given back
    // and nothing is sent any more.
    void forgetPage();

    // Throws std::bad_cast when the host has gone.
    std::shared_ptr<NpapiBrowserHost> getHost();
    // Rejects with "Invalidated" when still unsettled (main thread), then
    // lets the plug-in promise go.
    void invalidate();

private:
    void settle(const char* method, const variant& value);
    void schedule(void (NPPromise::*member)(const variant&), variant value);
    // Gives the browser references back (on the main thread).
    void releaseObjects(const std::shared_ptr<NpapiBrowserHost>& host);

    std::weak_ptr<NpapiBrowserHost> m_host;
    Promise<variant> m_promise;
    NPObject* m_deferred = nullptr;
    NPObject* m_pagePromise = nullptr;
    bool m_settled = false;
};

}  // namespace Npapi
}  // namespace PB
