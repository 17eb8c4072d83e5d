// The plug-in module npbrowser loads in the end-to-end tests: the NPAPI
// adapter (its exports come from the whole pb_npapi archive) with a small
// test plug-in whose scriptable object answers at once and later, fails,
// fires events, calls and reads the page, injects script, loads URLs, opens
// a chooser, and can be told to keep a page object past its end.

#include <win32/commdlg.h>

#include <memory>
#include <string>
#include <vector>

#include "PluginCore/BrowserStreamRequest.h"
#include "PluginCore/FactoryBase.h"
#include "ScriptingCore/DOM/Window.h"
#include "ScriptingCore/JSAPIAuto.h"
#include "ScriptingCore/utf8_tools.h"

namespace {

using PB::make_method;

class TestApi : public PB::JSAPIAuto {
public:
    explicit TestApi(std::weak_ptr<PB::PluginCore> plugin)
        : PB::JSAPIAuto("<npbrowser test object>"), m_plugin(std::move(plugin))
    {
        registerMethod("echo", make_method(this, &TestApi::echo));
        registerMethod("add", make_method(this, &TestApi::add));
        registerMethod("fail", make_method(this, &TestApi::fail));
        registerMethod("later", make_method(this, &TestApi::later));
        registerMethod("child", make_method(this, &TestApi::child));
        registerMethod("fire", make_method(this, &TestApi::fire));
        registerMethod("callBack", make_method(this, &TestApi::callBack));
        registerMethod("readList", make_method(this, &TestApi::readList));
        registerMethod("location", make_method(this, &TestApi::location));
        registerMethod("evaluate", make_method(this, &TestApi::evaluate));
        registerMethod("chooseFile", make_method(this, &TestApi::chooseFile));
        registerMethod("keep", make_method(this, &TestApi::keep));
        registerMethod("fetch", make_method(this, &TestApi::fetch));
        registerProperty("count",
                         PB::PropertyFunctors([this] { return PB::Promise<PB::variant>(PB::variant(m_count)); },
                                              [this](const PB::variant& v) { m_count = v.convert_cast<int>(); }));
    }

    PB::variant echo(PB::variant value) { return value; }
    int add(int a, int b) { return a + b; }
    std::string fail(std::string message) { throw PB::script_error(message); }

    // Answered on a later turn of the browser's loop.
    PB::Promise<PB::variant> later(std::string value)
    {
        PB::Deferred<PB::variant> answer;
        host()->ScheduleOnMainThread(shared_from_this(),
                                     [answer, value] { answer.resolve(PB::variant("later " + value)); });
        return answer.promise();
    }

    PB::JSAPIPtr child(std::string name)
    {
        auto made = std::make_shared<PB::JSAPIAuto>("<child " + name + ">");
        made->registerAttribute("name", PB::variant(name), true);
        return made;
    }

    void fire(std::string event, PB::variant value) { fireEvent(event, PB::VariantList{value}); }

    PB::Promise<PB::variant> callBack(PB::JSObjectPtr function, PB::variant argument)
    {
        if (!function)
            throw PB::invalid_arguments("callBack needs a function");
        return function->invoke("", PB::VariantList{argument});
    }

    PB::Promise<PB::variant> readList(PB::JSObjectPtr array)
    {
        if (!array)
            throw PB::invalid_arguments("readList needs an array");
        return host()->getArrayValues(array).then<PB::variant>([](PB::VariantList values) {
            return PB::variant(values);
        });
    }

    PB::Promise<PB::variant> location()
    {
        return host()->getDOMWindow()->getLocation().then<PB::variant>(
            [](std::string href) { return PB::variant(href); });
    }

    void evaluate(std::string script) { host()->evaluateJavaScript(script); }

    std::string chooseFile(std::string title)
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

    // The body of a URL the browser delivers as a stream.
    PB::Promise<PB::variant> fetch(std::string url)
    {
        PB::Deferred<PB::variant> answer;
        PB::BrowserStreamRequest request(url, "GET");
        request.setCallback([answer, url](bool success, const PB::HeaderMap&,
                                          const boost::shared_array<unsigned char>& data, std::size_t size) {
            if (success)
                answer.resolve(PB::variant(std::string(reinterpret_cast<const char*>(data.get()), size)));
            else
                answer.reject(std::make_exception_ptr(PB::script_error("Could not load " + url)));
        });
        if (!host()->createStream(request, true))
            throw PB::script_error("No stream for " + url);
        return answer.promise();
    }

    // Held by the module for good: the browser must find it still referenced at the end.
    void keep(PB::JSObjectPtr object) { kept().push_back(object); }
    static std::vector<PB::JSObjectPtr>& kept()
    {
        static std::vector<PB::JSObjectPtr> objects;
        return objects;
    }

private:
    PB::BrowserHostPtr host() const
    {
        std::shared_ptr<PB::PluginCore> plugin = m_plugin.lock();
        if (!plugin || !plugin->getHost())
            throw PB::script_error("The plug-in is gone");
        return plugin->getHost();
    }

    std::weak_ptr<PB::PluginCore> m_plugin;
    int m_count = 0;
};

class TestPlugin : public PB::PluginCore {
public:
    PB::JSAPIPtr createJSAPI() override
    {
        return std::make_shared<TestApi>(std::static_pointer_cast<PB::PluginCore>(shared_from_this()));
    }
    bool HandleEvent(PB::PluginEvent*, PB::PluginEventSource*) override { return false; }
};

class TestFactory : public PB::FactoryBase {
public:
    PB::PluginCorePtr createPlugin(const std::string& mimetype) override
    {
        if (mimetype != "application/x-velon")
            return nullptr;
        return std::make_shared<TestPlugin>();
    }
};

}  // namespace

PB::FactoryBasePtr getPluginFactory()
{
    static auto factory = std::make_shared<TestFactory>();
    return factory;
}
