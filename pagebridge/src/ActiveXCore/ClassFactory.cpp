#include "ActiveXCore/ClassFactory.h"

#include "ActiveXCore/ComModule.h"

namespace PB {
namespace ActiveX {

HRESULT ClassFactory::QueryInterface(REFIID riid, void** object)
{
    return com::answerQuery(riid, object, this, {{IID_IClassFactory, this}});
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    return m_creator(riid, object);
}

HRESULT ClassFactory::LockServer(BOOL lock)
{
    if (lock)
        CPageBridgeWinModule::instance().Lock();
    else
        CPageBridgeWinModule::instance().Unlock();
    return S_OK;
}

}  // namespace ActiveX
}  // namespace PB
