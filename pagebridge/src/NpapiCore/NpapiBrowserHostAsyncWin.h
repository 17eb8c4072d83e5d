#pragma once
// The NPAPI browser host for browsers that cannot be asked to run a call on
// their main thread (Safari, and tables older than pluginthreadasynccall):
// calls are posted to a hidden message window of the main thread instead.

#include <memory>

#include "NpapiCore/NpapiBrowserHost.h"
#include "PluginCore/Win/WinMessageWindow.h"

namespace PB {
namespace Npapi {

class NpapiBrowserHostAsyncWin : public NpapiBrowserHost {
public:
    // Makes the message window on the calling (main) thread; throws
    // std::runtime_error when it cannot be made.
    NpapiBrowserHostAsyncWin(NpapiPluginModule* module, NPP npp);
    ~NpapiBrowserHostAsyncWin() override;

    HWND getMessageWindow() const { return m_messageWindow->getHWND(); }

protected:
    bool _scheduleAsyncCall(void (*func)(void*), void* userData) const override;

private:
    std::unique_ptr<WinMessageWindow> m_messageWindow;
};

}  // namespace Npapi
}  // namespace PB
