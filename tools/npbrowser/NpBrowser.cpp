#include "NpBrowser.h"

#include <cctype>
#include <stdexcept>

#include "PageObject.h"
#include "PluginObject.h"

namespace npbrowser {

namespace {

// What the browser itself needs of the page, beside the page engine's own
// operations: member tests, construction, script objects made from values,
// and the plug-in's element in the document.
const char* const kHelpers =
    "({"
    "  has: function (o, k) { return k in Object(o); },"
    "  isMethod: function (o, k) { return typeof o[k] === 'function'; },"
    "  construct: function (f, args) {"
    "    return new (Function.prototype.bind.apply(f, [null].concat(args)))();"
    "  },"
    "  box: function (x) { return x; },"
    "  embed: function (type, names, values) {"
    "    var element = document.createElement('object');"
    "    element.setAttribute('type', type);"
    "    element.type = type;"
    "    for (var i = 0; i < names.length; i++) {"
    "      var param = document.createElement('param');"
    "      param.setAttribute('name', names[i]);"
    "      param.setAttribute('value', values[i]);"
    "      element.appendChild(param);"
    "    }"
    "    return document.body.appendChild(element);"
    "  },"
    "  unembed: function (element) {"
    "    if (element.parentNode) element.parentNode.removeChild(element);"
    "  }"
    "})";

// The value of an createPlugin parameter as <param> text.
std::string paramText(const std::string& name, const page::Value& value)
{
    switch (value.type()) {
    case page::Value::Type::String:
        return value.asString();
    case page::Value::Type::Number:
    case page::Value::Type::Boolean:
        return value.describe();
    default:
        throw std::runtime_error("createPlugin: the parameter " + name +
                                 " must be a string, a number or a boolean (an on... parameter names a page function)");
    }
}

// The local path of a file: URL (file:///path, percent escapes decoded); empty for any other.
std::string localPath(const std::string& url)
{
    const std::string scheme = "file://";
    if (url.size() <= scheme.size() || url.compare(0, scheme.size(), scheme) != 0 || url[scheme.size()] != '/')
        return std::string();
    std::string path;
    for (std::size_t i = scheme.size(); i < url.size(); ++i) {
        if (url[i] == '?' || url[i] == '#')
            break;
        if (url[i] == '%' && i + 2 < url.size() && std::isxdigit(static_cast<unsigned char>(url[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(url[i + 2]))) {
            path.push_back(static_cast<char>(std::stoi(url.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            path.push_back(url[i]);
        }
    }
    return path;
}

}  // namespace

std::atomic<NpBrowser*> NpBrowser::s_active{nullptr};

NpBrowser::NpBrowser(page::Page& page, const NpModule& module, Report report)
    : m_page(page), m_module(module), m_report(std::move(report)), m_mainThread(std::this_thread::get_id())
{
    m_helpers = m_page.evaluate(kHelpers);
    const page::Value agent = m_page.evaluate("navigator.userAgent");
    m_userAgent = agent.is(page::Value::Type::String) ? agent.asString() : "npbrowser";
}

NpBrowser::~NpBrowser()
{
    try {
        close(1000);
    } catch (const std::exception&) {
    }
    m_page.release(m_helpers);
    if (s_active == this)
        s_active = nullptr;
}

void NpBrowser::open()
{
    NpBrowser* none = nullptr;
    if (!s_active.compare_exchange_strong(none, this))
        throw std::logic_error("Another NPAPI browser is open");
    fillBrowserFuncs(m_funcs);
    m_plugin.size = sizeof m_plugin;
    NPError result = m_module.getEntryPoints(m_plugin);
    if (result != NPERR_NO_ERROR) {
        s_active = nullptr;
        throw std::runtime_error("NP_GetEntryPoints failed (NPError " + std::to_string(result) + ")");
    }
    if (!m_plugin.newp || !m_plugin.destroy || !m_plugin.getvalue) {
        s_active = nullptr;
        throw std::runtime_error("NP_GetEntryPoints gave no NPP_New, NPP_Destroy or NPP_GetValue");
    }
    m_open = true;
    result = m_module.initialize(m_funcs);
    if (result != NPERR_NO_ERROR) {
        m_open = false;
        s_active = nullptr;
        throw std::runtime_error("NP_Initialize failed (NPError " + std::to_string(result) + ")");
    }
    m_initialized = true;
}

void NpBrowser::close(std::size_t maxSteps)
{
    if (!m_initialized)
        return;
    std::vector<NPP> left;
    for (const auto& instance : m_instances)
        left.push_back(instance.first);
    for (NPP npp : left) {
        try {
            destroy(npp);
        } catch (const std::exception& e) {
            fault(std::string("destroying an instance at exit: ") + e.what());
        }
    }
    m_page.runLoop(maxSteps);
    dropWrappers(nullptr, true);
    m_module.shutdown();
    m_initialized = false;
    m_open = false;
    reportLeaks();
    s_active = nullptr;
    std::vector<std::string> later;
    {
        std::lock_guard<std::mutex> lock(m_faultMutex);
        later.swap(m_laterFaults);
    }
    for (const std::string& text : later)
        m_report("npbrowser: " + text);
}

void NpBrowser::reportLeaks()
{
    std::size_t pageObjects = 0;
    std::size_t references = 0;
    const std::vector<NPObject*> objects = m_objects.all();
    for (NPObject* obj : objects) {
        references += obj->referenceCount;
        if (PageObject::of(obj))
            ++pageObjects;
    }
    if (!objects.empty())
        fault("leak: " + std::to_string(objects.size()) + " browser objects (" + std::to_string(pageObjects) +
              " of the page) still had " + std::to_string(references) + " references after NP_Shutdown");
    const std::size_t blocks = m_memory.size();
    if (blocks != 0)
        fault("leak: " + std::to_string(blocks) + " blocks of NPN_MemAlloc were never freed");
    // The module has said it is done: the browser's own objects and blocks
    // go now. Objects of the plug-in's classes stay; their code is the module's.
    for (NPObject* obj : objects) {
        if (PageObject* pageObj = PageObject::of(obj)) {
            m_objects.forget(obj);
            m_page.release(pageObj->handle);
            delete pageObj;
        }
    }
    m_memory.freeAll();
}

std::size_t NpBrowser::faultCount() const
{
    std::lock_guard<std::mutex> lock(m_faultMutex);
    return m_faults;
}

void NpBrowser::fault(const std::string& text)
{
    {
        std::lock_guard<std::mutex> lock(m_faultMutex);
        ++m_faults;
        if (!onMainThread()) {
            m_laterFaults.push_back(text);
            return;
        }
    }
    m_report("npbrowser: " + text);
}

void NpBrowser::unsupported(const std::string& what)
{
    m_report("npbrowser: not supported: " + what);
}

void NpBrowser::postAsync(NPP npp, void (*func)(void*), void* data)
{
    std::weak_ptr<NpBrowser> self = weak_from_this();
    m_page.post([self, npp, func, data] {
        std::shared_ptr<NpBrowser> browser = self.lock();
        if (browser && browser->m_open && browser->instanceAlive(npp))
            func(data);
    });
}

void NpBrowser::throwPendingException()
{
    if (!m_hasException)
        return;
    m_hasException = false;
    throw std::runtime_error(m_exception);
}

page::Value NpBrowser::callHelper(const char* name, const std::vector<page::Value>& args)
{
    return m_page.invoke(m_helpers, name, args);
}

page::Value NpBrowser::createInstance(const std::string& mimeType, const page::Value& params)
{
    if (!m_open) {
        m_page.release(params);
        throw std::runtime_error("The plug-in module is not loaded");
    }
    std::vector<std::string> names;
    std::vector<std::string> values;
    try {
        if (params.is(page::Value::Type::Object)) {
            for (const auto& member : params.members()) {
                if (member.second.is(page::Value::Type::Undefined) || member.second.is(page::Value::Type::Null))
                    continue;
                names.push_back(member.first);
                values.push_back(paramText(member.first, member.second));
            }
        }
    } catch (...) {
        m_page.release(params);
        throw;
    }
    m_page.release(params);
    if (names.size() > 32767)
        throw std::runtime_error("createPlugin: too many parameters");

    std::vector<page::Value> nameValues;
    std::vector<page::Value> textValues;
    for (std::size_t i = 0; i < names.size(); ++i) {
        nameValues.push_back(page::Value::string(names[i]));
        textValues.push_back(page::Value::string(values[i]));
    }
    m_npps.push_back(std::make_unique<NPP_t>());
    NPP npp = m_npps.back().get();
    npp->pdata = nullptr;
    npp->ndata = this;
    Instance& instance = m_instances[npp];
    instance.mimeType = mimeType;
    instance.element = callHelper("embed", {page::Value::string(mimeType), page::Value::array(nameValues),
                                            page::Value::array(textValues)});

    std::vector<char*> argn;
    std::vector<char*> argv;
    for (std::size_t i = 0; i < names.size(); ++i) {
        argn.push_back(&names[i][0]);
        argv.push_back(&values[i][0]);
    }
    std::string type = mimeType;
    NPError result = m_plugin.newp(&type[0], npp, NP_EMBED, static_cast<int16_t>(names.size()),
                                   argn.empty() ? nullptr : argn.data(), argv.empty() ? nullptr : argv.data(), nullptr);
    if (result != NPERR_NO_ERROR) {
        // A refused instance gets no NPP_Destroy, as in a browser.
        callHelper("unembed", {instance.element});
        m_page.release(instance.element);
        m_instances.erase(npp);
        throw std::runtime_error("The plug-in refused " + mimeType + " (NPError " + std::to_string(result) + ")");
    }
    NPObject* scriptable = nullptr;
    result = m_plugin.getvalue(npp, NPPVpluginScriptableNPObject, &scriptable);
    if (result != NPERR_NO_ERROR || !scriptable || !m_objects.live(scriptable)) {
        destroy(npp);
        throw std::runtime_error("The plug-in gave no scriptable object for " + mimeType);
    }
    instance.scriptable = scriptable;
    return page::Value::host(wrap(scriptable));
}

void NpBrowser::destroyInstance(const page::Value& plugin)
{
    // Any object of the instance will do: the page may hold the one its
    // onload handler was given rather than the one createPlugin returned.
    const auto wrapper = plugin.is(page::Value::Type::Host)
                             ? std::dynamic_pointer_cast<PluginObject>(plugin.hostObject())
                             : nullptr;
    NPObject* obj = wrapper ? wrapper->object() : nullptr;
    const NPP owner = obj ? m_objects.ownerOf(obj) : nullptr;
    if (!instanceAlive(owner)) {
        m_page.release(plugin);
        throw std::runtime_error("destroyPlugin needs a plug-in made by createPlugin");
    }
    destroy(owner);
}

page::Value NpBrowser::elementOf(NPP npp)
{
    auto found = m_instances.find(npp);
    if (found == m_instances.end())
        return page::Value();
    return m_page.share(found->second.element);
}

NPError NpBrowser::requestUrl(NPP npp, const char* url, const char* target, bool notify, void* notifyData)
{
    if (!instanceAlive(npp))
        return NPERR_INVALID_INSTANCE_ERROR;
    if (!url)
        return NPERR_INVALID_URL;
    if (target) {
        unsupported(std::string("loading ") + url + " into the window " + target);
        return NPERR_GENERIC_ERROR;
    }
    const std::string path = localPath(url);
    if (path.empty()) {
        unsupported(std::string("the URL ") + url + " (only file: URLs are loaded)");
        return NPERR_INVALID_URL;
    }
    const std::uint64_t id = m_nextStream++;
    m_streams[id] = std::make_shared<UrlStream>(m_plugin, UrlStream::Request{npp, url, path, notify, notifyData});
    deliver(id);
    return NPERR_NO_ERROR;
}

void NpBrowser::deliver(std::uint64_t id)
{
    std::weak_ptr<NpBrowser> self = weak_from_this();
    m_page.post([self, id] {
        std::shared_ptr<NpBrowser> browser = self.lock();
        if (!browser)
            return;
        auto found = browser->m_streams.find(id);
        if (found == browser->m_streams.end())
            return;
        const std::shared_ptr<UrlStream> stream = found->second;
        if (stream->step()) {
            browser->deliver(id);
            return;
        }
        // By id: the plug-in may have opened or closed streams meanwhile.
        browser->m_streams.erase(id);
    });
}

NPError NpBrowser::closeStream(NPP npp, NPStream* stream, NPReason reason)
{
    for (const auto& entry : m_streams) {
        if (entry.second->stream() == stream && entry.second->instance() == npp) {
            entry.second->cancel(reason);
            return NPERR_NO_ERROR;
        }
    }
    return NPERR_INVALID_PARAM;
}

void NpBrowser::destroy(NPP npp)
{
    auto found = m_instances.find(npp);
    if (found == m_instances.end())
        return;
    // As a browser does, the instance's streams end before the instance.
    std::vector<std::uint64_t> streams;
    for (const auto& entry : m_streams)
        if (entry.second->instance() == npp)
            streams.push_back(entry.first);
    for (std::uint64_t id : streams) {
        auto stream = m_streams.find(id);
        if (stream == m_streams.end())
            continue;
        const std::shared_ptr<UrlStream> ending = stream->second;
        m_streams.erase(stream);
        ending->end(NPRES_USER_BREAK);
    }
    NPSavedData* saved = nullptr;
    m_plugin.destroy(npp, &saved);
    if (saved) {
        if (saved->buf && !m_memory.free(saved->buf))
            fault("NPP_Destroy saved data the browser did not allocate");
        if (!m_memory.free(saved))
            fault("NPP_Destroy saved a record the browser did not allocate");
    }
    // As a browser does once the instance is gone: its objects are told,
    // and the page lets go of them.
    for (NPObject* obj : m_objects.ownedBy(npp)) {
        if (m_objects.live(obj) && obj->_class && obj->_class->invalidate)
            obj->_class->invalidate(obj);
    }
    dropWrappers(npp, false);
    found = m_instances.find(npp);
    Instance instance = std::move(found->second);
    m_instances.erase(found);
    if (instance.scriptable && m_objects.live(instance.scriptable))
        m_objects.release(instance.scriptable);
    callHelper("unembed", {instance.element});
    m_page.release(instance.element);
}

void NpBrowser::dropWrappers(NPP owner, bool all)
{
    std::vector<std::shared_ptr<PluginObject>> dropping;
    for (const auto& entry : m_wrappers) {
        std::shared_ptr<PluginObject> wrapper = entry.second.lock();
        if (wrapper && wrapper->object() && (all || m_objects.ownerOf(wrapper->object()) == owner))
            dropping.push_back(wrapper);
    }
    for (const std::shared_ptr<PluginObject>& wrapper : dropping)
        wrapper->drop();
}

}  // namespace npbrowser
