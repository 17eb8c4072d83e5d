#include <com/unknown.h>

namespace com {

HRESULT answerQuery(REFIID riid, void** object, IUnknown* identity, std::initializer_list<InterfaceEntry> entries) {
  if (!object) return E_POINTER;
  *object = nullptr;
  IUnknown* face = nullptr;
  if (riid == IID_IUnknown) {
    face = identity;
  } else {
    for (const InterfaceEntry& entry : entries) {
      if (entry.iid == riid) {
        face = entry.face;
        break;
      }
    }
  }
  if (!face) return E_NOINTERFACE;
  face->AddRef();
  *object = face;
  return S_OK;
}

}  // namespace com
