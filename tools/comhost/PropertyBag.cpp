#include "PropertyBag.h"

#include <com/bstr.h>
#include <com/memory.h>

#include <cstring>

namespace comhost {

PropertyBag::~PropertyBag()
{
    for (Entry& entry : m_entries)
        VariantClear(&entry.value);
}

void PropertyBag::add(const std::wstring& name, const VARIANT& value, bool readable)
{
    Entry entry{name, {}, readable};
    VariantInit(&entry.value);
    VariantCopy(&entry.value, &value);
    m_entries.push_back(entry);
}

const PropertyBag::Entry* PropertyBag::find(const std::wstring& name) const
{
    for (const Entry& entry : m_entries)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

HRESULT PropertyBag::QueryInterface(REFIID riid, void** object)
{
    auto* identity = static_cast<IPropertyBag*>(this);
    return com::answerQuery(riid, object, identity,
                            {{IID_IPropertyBag, identity}, {IID_IPropertyBag2, static_cast<IPropertyBag2*>(this)}});
}

ULONG PropertyBag::AddRef()
{
    return ++m_refs;
}

ULONG PropertyBag::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

HRESULT PropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*)
{
    if (!name || !value)
        return E_POINTER;
    const Entry* entry = find(com::fromUtf16(std::u16string(name)));
    if (!entry || !entry->readable)
        return E_INVALIDARG;
    return VariantCopy(value, &entry->value);
}

HRESULT PropertyBag::Write(LPCOLESTR, VARIANT*)
{
    return E_NOTIMPL;
}

HRESULT PropertyBag::Read(ULONG count, PROPBAG2* properties, IErrorLog*, VARIANT* values, HRESULT* results)
{
    if (!properties || !values)
        return E_POINTER;
    bool any = false;
    for (ULONG i = 0; i < count; ++i) {
        VariantInit(&values[i]);
        const Entry* entry =
            properties[i].pstrName ? find(com::fromUtf16(std::u16string(properties[i].pstrName))) : nullptr;
        HRESULT hr = entry && entry->readable ? VariantCopy(&values[i], &entry->value) : E_INVALIDARG;
        if (results)
            results[i] = hr;
        any = any || SUCCEEDED(hr);
    }
    return any || count == 0 ? S_OK : E_FAIL;
}

HRESULT PropertyBag::CountProperties(ULONG* count)
{
    if (!count)
        return E_POINTER;
    *count = static_cast<ULONG>(m_entries.size());
    return S_OK;
}

HRESULT PropertyBag::GetPropertyInfo(ULONG first, ULONG count, PROPBAG2* properties, ULONG* fetched)
{
    if (!properties || !fetched)
        return E_POINTER;
    *fetched = 0;
    for (ULONG i = 0; i < count && first + i < m_entries.size(); ++i) {
        const Entry& entry = m_entries[first + i];
        PROPBAG2& property = properties[i];
        std::memset(&property, 0, sizeof property);
        property.dwType = PROPBAG2_TYPE_DATA;
        property.vt = entry.value.vt;
        const std::u16string name = com::toUtf16(entry.name);
        property.pstrName = static_cast<LPOLESTR>(CoTaskMemAlloc((name.size() + 1) * sizeof(OLECHAR)));
        if (!property.pstrName)
            return E_OUTOFMEMORY;
        std::memcpy(property.pstrName, name.c_str(), (name.size() + 1) * sizeof(OLECHAR));
        ++*fetched;
    }
    return S_OK;
}

}  // namespace comhost
