#include "PluginCore/PluginCore.h"

#include <atomic>
#include <mutex>

#include "PluginCore/PluginWindow.h"
#include "ScriptingCore/DOM/Window.h"
#include "ScriptingCore/Log.h"

namespace PB {

namespace {

std::atomic<int> activeCount{0};

struct Platform {
    std::mutex lock;
    std::string os;
    std::string browser;
};

Platform& platform()
{
    static Platform p;
    return p;
}

}  // namespace

PluginCore::PluginCore()
{
    Log::initLogging();
    ++activeCount;
}

PluginCore::~PluginCore()
{
    if (m_host)
        m_host->shutdown();
    --activeCount;
    m_api.reset();
    m_params.clear();
    m_filesystemPath.clear();
    m_host.reset();
}

void PluginCore::setPlatform(std::string os, std::string browser)
{
    {
        std::lock_guard<std::mutex> lock(platform().lock);
        platform().os = os;
        platform().browser = browser;
    }
    Log::info("PluginCore", "os: " + os + "; browser: " + browser, __FILE__, __LINE__,
              "PB::PluginCore::setPlatform");
}

std::string PluginCore::getOS()
{
    std::lock_guard<std::mutex> lock(platform().lock);
    return platform().os;
}

std::string PluginCore::getBrowser()
{
    std::lock_guard<std::mutex> lock(platform().lock);
    return platform().browser;
}

int PluginCore::activePluginCount()
{
    return activeCount;
}

void PluginCore::setHost(const BrowserHostPtr& host)
{
    m_host = host;
}

PluginWindow* PluginCore::GetWindow() const
{
    return m_Window;
}

void PluginCore::setScriptingOnly(bool scriptingOnly)
{
    m_scriptingOnly = scriptingOnly;
}

bool PluginCore::isScriptingOnly() const
{
    return m_scriptingOnly;
}

void PluginCore::SetWindow(PluginWindow* window)
{
    Log::trace("PluginCore", "Window Set", __FILE__, __LINE__, "PB::PluginCore::SetWindow");
    if (m_Window && m_Window != window)
        ClearWindow();
    m_Window = window;
    window->AttachObserver(this);
}

void PluginCore::ClearWindow()
{
    Log::trace("PluginCore", "Window Cleared", __FILE__, __LINE__, "PB::PluginCore::ClearWindow");
    if (m_Window) {
        m_Window->DetachObserver(this);
        m_Window = nullptr;
    }
}

bool PluginCore::setReady()
{
    Log::trace("PluginCore", "Plugin Ready", __FILE__, __LINE__, "PB::PluginCore::setReady");
    bool scheduled = false;
    try {
        auto onload = m_params.find("onload");
        if (onload != m_params.end()) {
            JSObjectPtr handler = onload->second.convert_cast<JSObjectPtr>();
            if (handler) {
                Log::trace("PluginCore", "InvokeDelayed(onload)", __FILE__, __LINE__, "PB::PluginCore::setReady");
                VariantList args{variant(getRootJSAPI())};
                m_host->invokeDelayed(250, handler, args, "");
                scheduled = true;
            }
        }
    } catch (...) {
    }
    onPluginReady();
    return scheduled;
}

JSAPIPtr PluginCore::getRootJSAPI()
{
    if (!m_api)
        m_api = createJSAPI();
    return m_api;
}

bool PluginCore::isWindowless()
{
    if (!m_windowLessParam) {
        m_windowLessParam = false;
        auto found = m_params.find("windowless");
        if (found != m_params.end()) {
            try {
                m_windowLessParam = found->second.convert_cast<bool>();
            } catch (const bad_variant_cast&) {
            }
        }
    }
    return *m_windowLessParam;
}

void PluginCore::setPluginPath(std::string path)
{
    m_filesystemPath = std::move(path);
}

void PluginCore::setParams(const VariantMap& params)
{
    for (const auto& entry : params) {
        const std::string& key = entry.first;
        try {
            const std::string text = entry.second.convert_cast<std::string>();
            if (key.compare(0, 2, "on") == 0) {
                // The page answers later; a plug-in gone by then is left alone.
                std::weak_ptr<PluginEventSink> self = shared_from_this();
                // Without a host or a window there is no page to look in.
                if (!m_host)
                    throw std::runtime_error("no browser host");
                DOM::WindowPtr window = m_host->getDOMWindow();
                if (!window)
                    throw std::runtime_error("no DOM window");
                // Whether the page answers at once or later, what it names is
                // read the same way (a failed lookup stores nothing).
                // An answer at once that names no function was reported as
                // the exception it is; no handler was found then.
                const variant value = entry.second;
                auto refused = std::make_shared<bool>(false);
                window->getJSObject()->getProperty(text).done([self, this, key, value, refused](variant found) {
                    if (!self.expired())
                        *refused = !storeEventHandler(key, found, value);
                });
                if (!*refused)
                    Log::trace("PluginCore", "Found <param> event handler: " + key, __FILE__, __LINE__,
                               "PB::PluginCore::setParams");
            } else {
                m_params[key] = entry.second;
            }
        } catch (const std::exception& e) {
            Log::warn("PluginCore", "Exception processing <param> " + key + ": " + e.what(), __FILE__, __LINE__,
                      "PB::PluginCore::setParams");
            m_params[key] = entry.second;
        }
    }
}

bool PluginCore::storeEventHandler(const std::string& key, const variant& found, const variant& value)
{
    try {
        const JSObjectPtr object = found.convert_cast<JSObjectPtr>();
        if (object)
            m_params[key] = object;
        else
            m_params[key] = PBNull();
        return true;
    } catch (const std::exception& e) {
        // Something other than a function: kept as the parameter's value.
        Log::warn("PluginCore", "Exception processing <param> " + key + ": " + e.what(), __FILE__, __LINE__,
                  "PB::PluginCore::setParams");
        m_params[key] = value;
        return false;
    }
}

boost::optional<std::string> PluginCore::getParam(std::string key)
{
    auto found = m_params.find(key);
    if (found == m_params.end())
        return boost::none;
    return found->second.convert_cast<std::string>();
}

variant PluginCore::getParamVariant(std::string key)
{
    auto found = m_params.find(key);
    return found == m_params.end() ? variant() : found->second;
}

BrowserHostPtr PluginCore::getHost() const
{
    return m_host;
}

}  // namespace PB
