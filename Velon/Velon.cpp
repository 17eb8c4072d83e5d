#include "Velon/Velon.h"

#include <dravik/dravik.h>

#include "PluginCore/PluginWindow.h"
#include "ScriptingCore/utf8_tools.h"
#include "Velon/ApiLog.h"
#include "Velon/Configuration.h"
#include "Velon/VelonAPI.h"

Velon::Velon() = default;

Velon::~Velon()
{
    m_api.reset();
    if (m_host)
        m_host->releaseAllJSAPI();
}

bool Velon::HandleEvent(PB::PluginEvent* event, PB::PluginEventSource* source)
{
    auto* window = dynamic_cast<PB::PluginWindow*>(source);
    if (!window)
        return false;
    if (auto* e = dynamic_cast<PB::MouseDownEvent*>(event))
        return onMouseDown(e, window);
    if (auto* e = dynamic_cast<PB::MouseUpEvent*>(event))
        return onMouseUp(e, window);
    if (auto* e = dynamic_cast<PB::MouseMoveEvent*>(event))
        return onMouseMove(e, window);
    if (auto* e = dynamic_cast<PB::AttachedEvent*>(event))
        return onWindowAttached(e, window);
    if (auto* e = dynamic_cast<PB::DetachedEvent*>(event))
        return onWindowDetached(e, window);
    return false;
}

bool Velon::onMouseDown(PB::MouseDownEvent*, PB::PluginWindow*)
{
    return false;
}

bool Velon::onMouseUp(PB::MouseUpEvent*, PB::PluginWindow*)
{
    return false;
}

bool Velon::onMouseMove(PB::MouseMoveEvent*, PB::PluginWindow*)
{
    return false;
}

bool Velon::onWindowAttached(PB::AttachedEvent*, PB::PluginWindow*)
{
    return false;
}

bool Velon::onWindowDetached(PB::DetachedEvent*, PB::PluginWindow*)
{
    return false;
}

void Velon::shutdown()
{
    VELON_TRACE("Velon::shutdown", "Velon::shutdown()");
    // A second shutdown, or one of an instance that never became ready,
    // must not end the library under the other instances of the process.
    if (library_started) {
        library_started = false;
        PKCS7Final();
    }
}

PB::JSAPIPtr Velon::createJSAPI()
{
    std::shared_ptr<Velon> self = std::dynamic_pointer_cast<Velon>(PB::PluginEventSink::shared_from_this());
    return std::make_shared<VelonAPI>(self, m_host);
}

std::wstring Velon::set_title(std::string title)
{
    VELON_TRACE("Velon::set_title", "Velon::set_title()");
    return PB::utf8_to_wstring(title) + L" - " + PB::utf8_to_wstring(Configuration::get_message(false, "plugin_name"));
}
