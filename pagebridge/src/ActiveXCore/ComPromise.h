#pragma once
// A plug-in promise handed to the page as a page promise: a deferred of the
// page's promise library is made, its "promise" goes to the page, and when
// the plug-in promise settles, "resolve" or "reject" is called on the main
// thread. The callbacks and queued calls keep this object alive; the host
// they reach is held weakly.

#include <boost/noncopyable.hpp>

#include <memory>

#include "ScriptingCore/JSObject.h"
#include "ScriptingCore/Promise.h"

namespace PB {
namespace ActiveX {

class ActiveXBrowserHost;
class IDispatchAPI;

class ComPromise : public std::enable_shared_from_this<ComPromise>, boost::noncopyable {
public:
    // Throws std::runtime_error "Could not use deferred object" when the page
    // gives no deferred with a promise.
    static std::shared_ptr<ComPromise> create(const std::shared_ptr<ActiveXBrowserHost>& host,
                                              Promise<variant> promise);
    ComPromise(const std::shared_ptr<ActiveXBrowserHost>& host, Promise<variant> promise);
    virtual ~ComPromise();

    // What the page receives.
    const std::shared_ptr<IDispatchAPI>& pagePromise() const { return m_pagePromise; }

    // The value travels on, moved, to the page.
    void onResolved(variant value);
    void onRejected(variant value);
    // Main thread: settle the page deferred once.
    void resolvePage(variant value);
    void rejectPage(variant value);
    // Throws std::bad_cast (after invalidating) when the host has gone.
    std::shared_ptr<ActiveXBrowserHost> getHost();
    // Rejects an unsettled page promise with "Invalidated" and drops the
    // plug-in promise.
    void invalidate();

private:
    void init(const std::shared_ptr<ActiveXBrowserHost>& host);
    void settle(const char* method, variant value);

    std::weak_ptr<ActiveXBrowserHost> m_host;
    Promise<variant> m_promise;
    JSObjectPtr m_deferred;
    std::shared_ptr<IDispatchAPI> m_pagePromise;
    bool m_settled = false;
};

}  // namespace ActiveX
}  // namespace PB
