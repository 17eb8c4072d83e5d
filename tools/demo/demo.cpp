// Shows how a page's call travels through the framework: values converted
// to a method's parameter types, argument errors, results as promises. The
// hosts that load the whole module come later; until then this is the demo.

#include <iostream>
#include <memory>
#include <string>

#include "ScriptingCore/JSAPIAuto.h"

namespace {

// A scriptable object with one method, registered by name as the plug-in's
// API object registers its fifty.
class Greeter : public PB::JSAPIAuto {
public:
    Greeter() : PB::JSAPIAuto("<demo object>")
    {
        registerMethod("greet", PB::make_method(this, &Greeter::greet));
    }
    std::string greet(std::string name, int times)
    {
        std::string text;
        for (int i = 0; i < times; ++i)
            text += "Hello, " + name + "! ";
        return text;
    }
};

void call(const std::shared_ptr<Greeter>& object, const std::string& shown, const PB::VariantList& args)
{
    std::cout << "  greet(" << shown << ") -> ";
    try {
        object->invoke("greet", args).done(
            [](PB::variant result) { std::cout << '"' << result.convert_cast<std::string>() << "\"\n"; },
            [](std::exception_ptr error) {
                try {
                    std::rethrow_exception(error);
                } catch (const std::exception& e) {
                    std::cout << "rejected: " << e.what() << "\n";
                }
            });
    } catch (const PB::script_error& e) {
        std::cout << "script error: " << e.what() << "\n";
    }
}

}  // namespace

int main()
{
    std::cout << "npVelon demo: no host adapter is built yet, so a page cannot load the\n"
                 "plug-in. This shows what a page call goes through inside it.\n\n";
    auto object = std::make_shared<Greeter>();
    std::cout << "A scriptable object with a method greet(string, int):\n";
    call(object, "\"page\", 2", {"page", 2});
    call(object, "\"page\", \"3\"", {"page", "3"});
    call(object, "\"page\", 2.9", {"page", 2.9});
    call(object, "\"page\"", {"page"});
    call(object, "\"page\", 1, true", {"page", 1, true});
    call(object, "\"page\", \"many\"", {"page", "many"});
    std::cout << "\nIts members as the page lists them:\n ";
    std::vector<std::string> names;
    object->getMemberNames(names);
    for (const std::string& name : names)
        std::cout << " " << name;
    std::cout << "\n";
    return 0;
}
