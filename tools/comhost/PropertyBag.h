#pragma once
// The <param> values of one control, read by name (IPropertyBag) or all at
// once (IPropertyBag2).

#include <string>
#include <vector>

#include <com/control.h>

namespace comhost {

class PropertyBag final : public IPropertyBag, public IPropertyBag2 {
public:
    PropertyBag() = default;
    PropertyBag(const PropertyBag&) = delete;
    PropertyBag& operator=(const PropertyBag&) = delete;

    // The bag keeps a copy; an unreadable entry is listed but fails to read.
    void add(const std::wstring& name, const VARIANT& value, bool readable = true);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    HRESULT Write(LPCOLESTR name, VARIANT* value) override;
    HRESULT Read(ULONG count, PROPBAG2* properties, IErrorLog* log, VARIANT* values, HRESULT* results) override;
    HRESULT CountProperties(ULONG* count) override;
    HRESULT GetPropertyInfo(ULONG first, ULONG count, PROPBAG2* properties, ULONG* fetched) override;

private:
    ~PropertyBag();

    struct Entry {
        std::wstring name;
        VARIANT value;
        bool readable;
    };
    const Entry* find(const std::wstring& name) const;

    ULONG m_refs = 1;
    std::vector<Entry> m_entries;
};

}  // namespace comhost
