#include "NpapiCore/NpapiBrowserHostAsyncWin.h"

namespace PB {
namespace Npapi {

NpapiBrowserHostAsyncWin::NpapiBrowserHostAsyncWin(NpapiPluginModule* module, NPP npp)
    : NpapiBrowserHost(module, npp), m_messageWindow(std::make_unique<WinMessageWindow>())
{
}

NpapiBrowserHostAsyncWin::~NpapiBrowserHostAsyncWin()
{
    m_messageWindow.reset();
}

bool NpapiBrowserHostAsyncWin::_scheduleAsyncCall(void (*func)(void*), void* userData) const
{
    return m_messageWindow->postCall(func, userData);
}

}  // namespace Npapi
}  // namespace PB
