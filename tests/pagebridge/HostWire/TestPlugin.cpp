#include "TestPlugin.h"

#include <win32/commdlg.h>

#include "PluginCore/PluginEvent.h"
#include "ScriptingCore/DOM/Window.h"
#include "ScriptingCore/utf8_tools.h"

namespace hostwire_test {

using PB::make_method;

TestApi::TestApi(std::weak_ptr<PB::PluginCore> plugin)
    : PB::JSAPIAuto("<Velon test object>"), m_plugin(std::move(plugin))
{
    registerMethod("echo", make_method(this, &TestApi::echo));
    registerMethod("add", make_method(this, &TestApi::add));
    registerMethod("fail", make_method(this, &TestApi::fail));
    registerMethod("later", make_method(this, &TestApi::later));
    registerMethod("wait", make_method(this, &TestApi::wait));
    registerMethod("fire", make_method(this, &TestApi::fire));
    registerMethod("child", make_method(this, &TestApi::child));
    registerMethod("callBack", make_method(this, &TestApi::callBack));
    registerMethod("readList", make_method(this, &TestApi::readList));
    registerMethod("readMap", make_method(this, &TestApi::readMap));
    registerMethod("location", make_method(this, &TestApi::location));
    registerMethod("evaluate", make_method(this, &TestApi::evaluate));
    registerMethod("chooseFile", make_method(this, &TestApi::chooseFile));
    registerProperty("count", PB::PropertyFunctors([this] { return PB::Promise<PB::variant>(PB::variant(m_count)); },
                                                   [this](const PB::variant& v) { m_count = v.convert_cast<int>(); }));
    registerAttribute("ondone", PB::PBNull());
    // Only where the page chose the kind of window: other pages see the same members as before.
    std::shared_ptr<PB::PluginCore> owner = m_plugin.lock();
    if (owner && !owner->getParamVariant("windowless").empty())
        registerMethod("inputs", make_method(this, &TestApi::inputs));
}

PB::BrowserHostPtr TestApi::host() const
{
    std::shared_ptr<PB::PluginCore> plugin = m_plugin.lock();
    if (!plugin || !plugin->getHost())
        throw PB::script_error("The plug-in is gone");
    return plugin->getHost();
}

std::string TestApi::fail(std::string message)
{
    throw PB::script_error(message);
}

PB::Promise<PB::variant> TestApi::later(std::string value)
{
    PB::Deferred<PB::variant> answer;
    host()->ScheduleOnMainThread(shared_from_this(), [answer, value] { answer.resolve(PB::variant("later " + value)); });
    return answer.promise();
}

PB::Deferred<PB::variant>& TestApi::waiting()
{
    static PB::Deferred<PB::variant> deferred;
    return deferred;
}

void TestApi::fire(std::string event, PB::variant value)
{
    fireEvent(event, PB::VariantList{value});
}

PB::JSAPIPtr TestApi::child(std::string name)
{
    auto child = std::make_shared<PB::JSAPIAuto>("<child " + name + ">");
    child->registerAttribute("name", PB::variant(name), true);
    return child;
}

PB::Promise<PB::variant> TestApi::callBack(PB::JSObjectPtr function, PB::variant argument)
{
    if (!function)
        throw PB::invalid_arguments("callBack needs a function");
    return function->invoke("", PB::VariantList{argument});
}

PB::Promise<PB::variant> TestApi::readList(PB::JSObjectPtr array)
{
    if (!array)
        throw PB::invalid_arguments("readList needs an array");
    return host()->getArrayValues(array);
}

PB::Promise<PB::variant> TestApi::readMap(PB::JSObjectPtr object)
{
    if (!object)
        throw PB::invalid_arguments("readMap needs an object");
    return host()->getObjectValues(object);
}

PB::Promise<PB::variant> TestApi::location()
{
    PB::DOM::WindowPtr window = host()->getDOMWindow();
    if (!window)
        throw PB::script_error("The page has no window yet");
    return window->getLocation().then<PB::variant>([](std::string href) { return PB::variant(href); });
}

void TestApi::evaluate(std::string script)
{
    host()->evaluateJavaScript(script);
}

std::string TestApi::chooseFile(std::string title)
{
    wchar_t path[260] = L"";
    const std::wstring wideTitle = PB::utf8_to_wstring(title);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = path;
    ofn.nMaxFile = 260;
    ofn.lpstrTitle = wideTitle.c_str();
    if (!GetSaveFileNameW(&ofn))
        return std::string();
    return PB::wstring_to_utf8(path);
}

PB::VariantList TestApi::inputs()
{
    PB::VariantList list;
    if (auto plugin = std::dynamic_pointer_cast<TestPlugin>(m_plugin.lock())) {
        for (const std::string& input : plugin->inputs)
            list.push_back(PB::variant(input));
    }
    return list;
}

bool TestPlugin::HandleEvent(PB::PluginEvent* event, PB::PluginEventSource*)
{
    const auto at = [](const PB::MouseEvent& mouse) {
        return std::to_string(mouse.m_x) + "," + std::to_string(mouse.m_y);
    };
    if (auto* refresh = dynamic_cast<PB::RefreshEvent*>(event)) {
        const PB::Rect& r = refresh->bounds;
        inputs.push_back("refresh " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                         std::to_string(r.right) + "," + std::to_string(r.bottom));
    } else if (auto* down = dynamic_cast<PB::MouseDownEvent*>(event)) {
        inputs.push_back("mouse down " + std::to_string(down->m_Btn) + " at " + at(*down));
    } else if (auto* up = dynamic_cast<PB::MouseUpEvent*>(event)) {
        inputs.push_back("mouse up " + std::to_string(up->m_Btn) + " at " + at(*up));
    } else if (auto* key = dynamic_cast<PB::KeyDownEvent*>(event)) {
        inputs.push_back("key down " + std::to_string(key->m_os_key_code));
    } else if (auto* key = dynamic_cast<PB::KeyUpEvent*>(event)) {
        inputs.push_back("key up " + std::to_string(key->m_os_key_code));
    }
    return false;
}

PB::JSAPIPtr TestPlugin::createJSAPI()
{
    return std::make_shared<TestApi>(std::static_pointer_cast<PB::PluginCore>(shared_from_this()));
}

PB::PluginCorePtr TestFactory::createPlugin(const std::string& mimetype)
{
    if (mimetype != "application/x-velon")
        return nullptr;
    auto plugin = std::make_shared<TestPlugin>();
    lastPlugin = plugin;
    return plugin;
}

std::shared_ptr<TestFactory> testFactory()
{
    static auto factory = std::make_shared<TestFactory>();
    return factory;
}

}  // namespace hostwire_test

PB::FactoryBasePtr getPluginFactory()
{
    return hostwire_test::testFactory();
}
