#include "PluginObject.h"

#include <stdexcept>

#include "Identifiers.h"
#include "NpBrowser.h"
#include "PluginMethod.h"

namespace npbrowser {

namespace {

// The object stays alive for the length of one call into its class, even
// when the call ends up dropping its wrapper (a page handler destroying the
// plug-in, say). Exceptions the plug-in set during the call are thrown after.
class ClassCall {
public:
    ClassCall(NpBrowser& browser, NPObject* obj) : m_browser(browser), m_obj(obj)
    {
        m_browser.objects().retain(m_obj);
        m_browser.clearException();
    }
    ~ClassCall()
    {
        if (m_browser.objects().live(m_obj))
            m_browser.objects().release(m_obj);
    }
    ClassCall(const ClassCall&) = delete;
    ClassCall& operator=(const ClassCall&) = delete;

    NPClass& cls() const { return *m_obj->_class; }
    void done() { m_browser.throwPendingException(); }

private:
    NpBrowser& m_browser;
    NPObject* m_obj;
};

// Variants the browser made for a call, released when the call is over.
class OwnedVariants {
public:
    explicit OwnedVariants(NpBrowser& browser) : m_browser(browser) {}
    ~OwnedVariants()
    {
        for (NPVariant& value : m_values)
            m_browser.releaseVariant(value, "releasing a value of a call into the plug-in");
    }
    OwnedVariants(const OwnedVariants&) = delete;
    OwnedVariants& operator=(const OwnedVariants&) = delete;

    void add(const page::Value& value) { m_values.push_back(m_browser.toVariant(value)); }
    NPVariant& add()
    {
        NPVariant empty;
        empty.type = NPVariantType_Void;
        m_values.push_back(empty);
        return m_values.back();
    }
    const NPVariant* data() const { return m_values.empty() ? nullptr : m_values.data(); }
    uint32_t count() const { return static_cast<uint32_t>(m_values.size()); }

private:
    NpBrowser& m_browser;
    std::vector<NPVariant> m_values;
};

}  // namespace

PluginObject::PluginObject(std::weak_ptr<NpBrowser> browser, NPObject* obj)
    : m_browser(std::move(browser)), m_obj(obj), m_key(obj)
{
}

PluginObject::~PluginObject()
{
    if (std::shared_ptr<NpBrowser> browser = m_browser.lock())
        browser->unwrapped(m_key, m_obj != nullptr);
}

NpBrowser& PluginObject::live(NPObject*& obj) const
{
    std::shared_ptr<NpBrowser> browser = m_browser.lock();
    if (!browser || !browser->isOpen() || !m_obj || !browser->objects().live(m_obj))
        throw std::runtime_error("The plug-in object is gone");
    obj = m_obj;
    // The page holds the browser for as long as it runs.
    return *browser;
}

void PluginObject::drop()
{
    NPObject* obj = m_obj;
    m_obj = nullptr;
    std::shared_ptr<NpBrowser> browser = m_browser.lock();
    if (obj && browser && browser->objects().live(obj))
        browser->objects().release(obj);
}

bool PluginObject::has(const std::string& name)
{
    NPObject* obj = nullptr;
    NpBrowser& browser = live(obj);
    const NPIdentifier id = Identifiers::instance().forKey(name);
    ClassCall call(browser, obj);
    const bool found = (call.cls().hasProperty && call.cls().hasProperty(obj, id)) ||
                       (call.cls().hasMethod && call.cls().hasMethod(obj, id));
    call.done();
    return found;
}

page::Value PluginObject::get(const std::string& name)
{
    NPObject* obj = nullptr;
    NpBrowser& browser = live(obj);
    const NPIdentifier id = Identifiers::instance().forKey(name);
    ClassCall call(browser, obj);
    if (call.cls().hasMethod && call.cls().hasMethod(obj, id)) {
        call.done();
        std::shared_ptr<PluginMethod> method = m_methods[name].lock();
        if (!method) {
            method = std::make_shared<PluginMethod>(shared_from_this(), name);
            m_methods[name] = method;
        }
        return page::Value::host(method);
    }
    if (!call.cls().hasProperty || !call.cls().hasProperty(obj, id) || !call.cls().getProperty) {
        call.done();
        return page::Value();
    }
    OwnedVariants result(browser);
    const bool read = call.cls().getProperty(obj, id, &result.add());
    call.done();
    if (!read)
        throw std::runtime_error("Error getting property " + name + " of the plug-in object");
    return browser.toScript(*result.data());
}

void PluginObject::set(const std::string& name, const page::Value& value)
{
    NPObject* obj = nullptr;
    NpBrowser& browser = live(obj);
    OwnedVariants arg(browser);
    arg.add(value);
    ClassCall call(browser, obj);
    const bool written =
        call.cls().setProperty && call.cls().setProperty(obj, Identifiers::instance().forKey(name), arg.data());
    call.done();
    if (!written)
        throw std::runtime_error("Error setting property " + name + " of the plug-in object");
}

bool PluginObject::remove(const std::string& name)
{
    NPObject* obj = nullptr;
    NpBrowser& browser = live(obj);
    ClassCall call(browser, obj);
    const bool removed =
        call.cls().removeProperty && call.cls().removeProperty(obj, Identifiers::instance().forKey(name));
    call.done();
    return removed;
}

std::vector<std::string> PluginObject::keys()
{
    NPObject* obj = nullptr;
    NpBrowser& browser = live(obj);
    ClassCall call(browser, obj);
    NPIdentifier* ids = nullptr;
    uint32_t count = 0;
    const bool listed = call.cls().enumerate && call.cls().enumerate(obj, &ids, &count);
    std::vector<std::string> names;
    for (uint32_t i = 0; listed && ids && i < count; ++i) {
        if (Identifiers::instance().known(ids[i]))
            names.push_back(Identifiers::key(ids[i]));
        else
            browser.fault("NPClass enumerate answered an identifier the browser never made");
    }
    if (ids && !browser.memory().free(ids))
        browser.fault("NPClass enumerate answered a list the browser did not allocate");
    call.done();
    return names;
}

page::Value PluginObject::invoke(const std::string& method, const std::vector<page::Value>& args)
{
    NPObject* obj = nullptr;
    NpBrowser& browser = live(obj);
    OwnedVariants npargs(browser);
    for (const page::Value& arg : args)
        npargs.add(arg);
    OwnedVariants result(browser);
    NPVariant& answer = result.add();
    ClassCall call(browser, obj);
    bool called;
    if (method.empty())
        called = call.cls().invokeDefault && call.cls().invokeDefault(obj, npargs.data(), npargs.count(), &answer);
    else
        called = call.cls().invoke &&
                 call.cls().invoke(obj, Identifiers::instance().forName(method), npargs.data(), npargs.count(),
                                   &answer);
    call.done();
    if (!called)
        throw std::runtime_error("Error calling method " + method + " of the plug-in object");
    return browser.toScript(answer);
}

}  // namespace npbrowser
