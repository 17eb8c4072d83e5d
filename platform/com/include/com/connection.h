// Connection points: how a container hands an object its event sinks, and the property-change
// sink of a site.
#pragma once

#include <com/dispatch.h>

#include <vector>

struct IConnectionPointContainer;
struct IEnumConnections : IUnknown {};
COM_DECLARE_IID(IEnumConnections,
                {0xB196B287, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}})

struct IConnectionPoint : IUnknown {
  virtual HRESULT GetConnectionInterface(IID* iid) = 0;
  virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
  virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
  virtual HRESULT Unadvise(DWORD cookie) = 0;
  virtual HRESULT EnumConnections(IEnumConnections** connections) = 0;
};
COM_DECLARE_IID(IConnectionPoint,
                {0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}})

struct IEnumConnectionPoints : IUnknown {
  virtual HRESULT Next(ULONG count, IConnectionPoint** points, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumConnectionPoints** copy) = 0;
};
COM_DECLARE_IID(IEnumConnectionPoints,
                {0xB196B285, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}})

struct IConnectionPointContainer : IUnknown {
  virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) = 0;
  virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) = 0;
};
COM_DECLARE_IID(IConnectionPointContainer,
                {0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}})

struct IPropertyNotifySink : IUnknown {
  virtual HRESULT OnChanged(DISPID id) = 0;
  virtual HRESULT OnRequestEdit(DISPID id) = 0;
};
COM_DECLARE_IID(IPropertyNotifySink,
                {0x9BFBBC02, 0xEFF1, 0x101A, {0x84, 0xED, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}})

namespace com {
// An enumerator over the points, each referenced while it is held (the copies and the items
// handed out carry references of their own). Null when it cannot be allocated.
IEnumConnectionPoints* createConnectionPointEnumerator(const std::vector<IConnectionPoint*>& points);
}  // namespace com
