#include "PageBrowser.h"

#include <com/bstr.h>
#include <com/safearray.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "ControlProxy.h"
#include "HtmlObjects.h"
#include "WebBrowser.h"

namespace comhost {

namespace {

bool isFunction(page::Page& page, const page::Value& object, const char* member)
{
    const page::Value value = page.get(object, member);
    const bool result = page.isFunction(value);
    page.release(value);
    return result;
}

}  // namespace

PageBrowser::PageBrowser(page::Page& page, HWND window) : m_page(page), m_window(window) {}

PageBrowser::~PageBrowser()
{
    // Faces still held elsewhere must not reach a page that goes.
    m_kept.clear();
    m_webBrowser.reset();
}

com::ComPtr<IWebBrowser2> PageBrowser::webBrowser()
{
    if (!m_webBrowser)
        m_webBrowser = com::ComPtr<IWebBrowser2>::adopt(new WebBrowser(shared_from_this()));
    return m_webBrowser;
}

DISPID PageBrowser::idOf(const std::string& name)
{
    if (name.empty())
        return DISPID_VALUE;
    auto found = m_ids.find(name);
    if (found != m_ids.end())
        return found->second;
    const DISPID id = m_nextId++;
    m_ids[name] = id;
    m_names[id] = name;
    return id;
}

bool PageBrowser::nameOf(DISPID id, std::string* name) const
{
    auto found = m_names.find(id);
    if (found == m_names.end())
        return false;
    *name = found->second;
    return true;
}

void PageBrowser::forget(PageObject* object)
{
    m_objects.erase(std::remove(m_objects.begin(), m_objects.end(), object), m_objects.end());
}

com::ComPtr<IDispatch> PageBrowser::wrap(const page::Value& ref)
{
    if (!ref.is(page::Value::Type::Ref))
        return com::ComPtr<IDispatch>();
    for (PageObject* object : m_objects) {
        if (m_page.same(object->ref(), ref)) {
            m_page.release(ref);
            return com::ComPtr<IDispatch>(static_cast<IDispatchEx*>(object));
        }
    }
    // The kind of object decides its interfaces.
    PageObject* made;
    const page::Value window = m_page.window();
    const bool isWindow = m_page.same(window, ref);
    m_page.release(window);
    const page::Value nodeType = m_page.get(ref, "nodeType");
    const double type = nodeType.is(page::Value::Type::Number) ? nodeType.asNumber() : 0;
    if (isWindow)
        made = new HtmlWindow(shared_from_this(), ref);
    else if (type == 9)
        made = new HtmlDocument(shared_from_this(), ref);
    else if (type == 1)
        made = new HtmlElement(shared_from_this(), ref);
    else if (isFunction(m_page, ref, "item") && m_page.get(ref, "length").is(page::Value::Type::Number))
        made = new ElementCollection(shared_from_this(), ref);
    else
        made = new PageObject(shared_from_this(), ref);
    m_objects.push_back(made);
    return com::ComPtr<IDispatch>::adopt(static_cast<IDispatchEx*>(made));
}

void PageBrowser::toVariant(const page::Value& value, VARIANT* out)
{
    VariantInit(out);
    switch (value.type()) {
    case page::Value::Type::Undefined:
        return;
    case page::Value::Type::Null:
        out->vt = VT_NULL;
        return;
    case page::Value::Type::Boolean:
        out->vt = VT_BOOL;
        out->boolVal = value.asBoolean() ? VARIANT_TRUE : VARIANT_FALSE;
        return;
    case page::Value::Type::Number: {
        const double number = value.asNumber();
        if (std::floor(number) == number && number >= std::numeric_limits<int32_t>::min() &&
            number <= std::numeric_limits<int32_t>::max()) {
            out->vt = VT_I4;
            out->lVal = static_cast<LONG>(number);
        } else {
            out->vt = VT_R8;
            out->dblVal = number;
        }
        return;
    }
    case page::Value::Type::String:
        out->bstrVal = com::allocBstr(com::fromUtf8(value.asString()));
        out->vt = VT_BSTR;
        return;
    case page::Value::Type::Array: {
        const std::vector<page::Value>& items = value.items();
        SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size()));
        for (std::size_t i = 0; array && i < items.size(); ++i)
            toVariant(items[i], static_cast<VARIANT*>(array->pvData) + i);
        out->parray = array;
        out->vt = array ? VT_ARRAY | VT_VARIANT : VT_EMPTY;
        return;
    }
    case page::Value::Type::Object:
        m_page.release(value);
        return;
    case page::Value::Type::Ref:
        out->pdispVal = wrap(value).detach();
        out->vt = out->pdispVal ? VT_DISPATCH : VT_EMPTY;
        return;
    case page::Value::Type::Host:
        if (auto proxy = std::dynamic_pointer_cast<ControlProxy>(value.hostObject())) {
            out->pdispVal = proxy->dispatch();
            out->pdispVal->AddRef();
            out->vt = VT_DISPATCH;
        }
        return;
    }
}

void PageBrowser::keepUntilNextTask(IUnknown* object)
{
    const bool first = m_kept.empty();
    m_kept.emplace_back(object);
    if (first) {
        std::weak_ptr<PageBrowser> self = shared_from_this();
        m_page.post([self] {
            if (auto browser = self.lock())
                browser->m_kept.clear();
        });
    }
}

page::Value PageBrowser::fromVariant(const VARIANT& value)
{
    if (value.vt == (VT_BYREF | VT_VARIANT))
        return value.pvarVal ? fromVariant(*value.pvarVal) : page::Value();
    if (value.vt == (VT_ARRAY | VT_VARIANT)) {
        std::vector<page::Value> items;
        SAFEARRAY* array = value.parray;
        LONG low = 0, high = -1;
        if (array && SUCCEEDED(SafeArrayGetLBound(array, 1, &low)) && SUCCEEDED(SafeArrayGetUBound(array, 1, &high))) {
            for (LONG i = low; i <= high; ++i) {
                VARIANT* element = nullptr;
                if (SUCCEEDED(SafeArrayPtrOfIndex(array, &i, reinterpret_cast<void**>(&element))))
                    items.push_back(fromVariant(*element));
            }
        }
        return page::Value::array(std::move(items));
    }
    switch (value.vt) {
    case VT_NULL:
        return page::Value::null();
    case VT_BOOL:
        return page::Value::boolean(value.boolVal != VARIANT_FALSE);
    case VT_BSTR:
        return page::Value::string(com::toUtf8(com::fromBstr(value.bstrVal)));
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_DECIMAL: {
        com::Variant number;
        VariantChangeType(&number, &value, 0, VT_R8);
        return page::Value::number(number.dblVal);
    }
    case VT_DISPATCH:
    case VT_UNKNOWN: {
        if (!value.punkVal)
            return page::Value::null();
        com::ComPtr<IComhostPageObject> own = com::queryInterface<IComhostPageObject>(value.punkVal);
        if (auto* object = dynamic_cast<PageObject*>(own.get())) {
            keepUntilNextTask(own.get());
            return object->ref();
        }
        com::ComPtr<IUnknown> identity = com::queryInterface<IUnknown>(value.punkVal);
        com::ComPtr<IDispatch> dispatch = com::queryInterface<IDispatch>(value.punkVal);
        if (!dispatch)
            return page::Value();
        std::shared_ptr<ControlProxy> proxy = m_proxies[identity.get()].lock();
        if (!proxy) {
            proxy = std::make_shared<ControlProxy>(shared_from_this(), dispatch);
            m_proxies[identity.get()] = proxy;
        }
        return page::Value::host(proxy);
    }
    default:
        return page::Value();
    }
}

}  // namespace comhost
