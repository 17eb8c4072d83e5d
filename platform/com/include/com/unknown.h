// IUnknown and IClassFactory, and the helpers our own COM objects are written with.
#pragma once

#include <com/guid.h>
#include <com/hresult.h>

#include <atomic>
#include <initializer_list>

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
};
COM_DECLARE_IID(IUnknown, {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

struct IClassFactory : IUnknown {
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;
};
COM_DECLARE_IID(IClassFactory, {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

namespace com {

// One interface an object answers: its IID and the pointer handed out for it.
struct InterfaceEntry {
  const IID& iid;
  IUnknown* face;
};

// QueryInterface over a table: IUnknown gives the identity, the first matching entry its face
// (AddRef'd through it); anything else E_NOINTERFACE with *object null.
HRESULT answerQuery(REFIID riid, void** object, IUnknown* identity,
                    std::initializer_list<InterfaceEntry> entries);

// The reference count of an object of our own, born with one reference that its creator owns;
// the last Release deletes it. The object's class supplies QueryInterface.
template <typename... Interfaces>
class RefCounted : public Interfaces... {
 public:
  RefCounted() = default;
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~RefCounted() = default;

 private:
  std::atomic<ULONG> m_refs{1};
};

}  // namespace com
