#pragma once
// The class factory of the control.

#include <com/unknown.h>

namespace PB {
namespace ActiveX {

class ClassFactory final : public com::RefCounted<IClassFactory> {
public:
    using Creator = HRESULT (*)(REFIID riid, void** object);
    explicit ClassFactory(Creator creator) : m_creator(creator) {}

    HRESULT QueryInterface(REFIID riid, void** object) override;
    // No aggregation.
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT LockServer(BOOL lock) override;

private:
    Creator m_creator;
};

}  // namespace ActiveX
}  // namespace PB
