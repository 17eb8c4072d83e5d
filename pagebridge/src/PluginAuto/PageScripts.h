#pragma once
// The two scripts the NPAPI and ActiveX browser hosts place into the page:
// the helper object (delayed calls of page functions, script Error objects)
// and the promise library (page-side deferreds the plug-in settles).

#include <cstdint>
#include <string>

namespace PB {
namespace PageScripts {

// The window property that holds one host's helper: "_PB_HELPERS_" and the
// host's context id in decimal, so that instances on one page keep apart.
std::string helperName(std::uint32_t contextId);

// The helper script with the name put in. It defines on the window, under
// that name, asyncCall(delay, func, args, name) and makeError(message).
std::string helperScript(const std::string& name);

// Defines the global function PageBridgePromise; each call gives a new
// deferred { promise: { then }, resolve, reject }. Handlers always run from
// a timer, never inside the call that settles.
const std::string& promiseLibrary();

}  // namespace PageScripts
}  // namespace PB
