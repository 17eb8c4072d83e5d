// A bare NPAPI module, without the framework, that probes the browser: its
// scriptable object runs the browser's entries on the page objects a page
// hands it and answers what they did as text, and it can misuse the browser
// on purpose (over-release, foreign memory, calls off the main thread,
// unknown identifiers, leaks) so that the tests see npbrowser report it.

#include <npapi/npfunctions.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

NPNetscapeFuncs browser;
NPP lastInstance = nullptr;

NPIdentifier id(const char* name)
{
    return browser.getstringidentifier(name);
}

std::string text(const NPVariant& value)
{
    switch (value.type) {
    case NPVariantType_Void:
        return "void";
    case NPVariantType_Null:
        return "null";
    case NPVariantType_Bool:
        return value.value.boolValue ? "true" : "false";
    case NPVariantType_Int32:
        return std::to_string(value.value.intValue);
    case NPVariantType_Double:
        return "double " + std::to_string(value.value.doubleValue);
    case NPVariantType_String:
        return "'" + std::string(value.value.stringValue.UTF8Characters, value.value.stringValue.UTF8Length) + "'";
    case NPVariantType_Object:
        return "object";
    }
    return "?";
}

// The text as a string result (the browser frees it).
bool answer(NPVariant* result, const std::string& value)
{
    char* copy = static_cast<char*>(browser.memalloc(static_cast<uint32_t>(value.size() + 1)));
    std::memcpy(copy, value.c_str(), value.size() + 1);
    result->type = NPVariantType_String;
    result->value.stringValue.UTF8Characters = copy;
    result->value.stringValue.UTF8Length = static_cast<uint32_t>(value.size());
    return true;
}

// What a read gives, released again.
std::string read(NPObject* obj, NPIdentifier name)
{
    NPVariant value;
    if (!browser.getproperty(lastInstance, obj, name, &value))
        return "failed";
    const std::string out = text(value);
    browser.releasevariantvalue(&value);
    return out;
}

// The page object's members through every object entry.
std::string inspect(NPObject* obj)
{
    std::string out = "has a " + std::string(browser.hasproperty(lastInstance, obj, id("a")) ? "yes" : "no");
    out += ", f method " + std::string(browser.hasmethod(lastInstance, obj, id("f")) ? "yes" : "no");
    out += ", a method " + std::string(browser.hasmethod(lastInstance, obj, id("a")) ? "yes" : "no");
    out += ", a=" + read(obj, id("a")) + ", [0]=" + read(obj, browser.getintidentifier(0));
    NPIdentifier* ids = nullptr;
    uint32_t count = 0;
    out += ", keys";
    if (browser.enumerate(lastInstance, obj, &ids, &count)) {
        for (uint32_t i = 0; i < count; ++i) {
            if (browser.identifierisstring(ids[i])) {
                NPUTF8* name = browser.utf8fromidentifier(ids[i]);
                out += std::string(" ") + name;
                browser.memfree(name);
            } else {
                out += " #" + std::to_string(browser.intfromidentifier(ids[i]));
            }
        }
        browser.memfree(ids);
    }
    NPVariant two;
    two.type = NPVariantType_Int32;
    two.value.intValue = 2;
    NPVariant result;
    if (browser.invoke(lastInstance, obj, id("f"), &two, 1, &result)) {
        out += ", f(2)=" + text(result);
        browser.releasevariantvalue(&result);
    }
    out += ", g(2) " + std::string(browser.invoke(lastInstance, obj, id("g"), &two, 1, &result) ? "ran" : "failed");
    browser.setproperty(lastInstance, obj, id("b"), &two);
    out += ", b=" + read(obj, id("b"));
    out += ", delete a " + std::string(browser.removeproperty(lastInstance, obj, id("a")) ? "yes" : "no");
    out += ", a=" + read(obj, id("a"));
    return out;
}

void callPage(void* data)
{
    NPObject* function = static_cast<NPObject*>(data);
    NPVariant arg;
    arg.type = NPVariantType_Bool;
    arg.value.boolValue = true;
    NPVariant result;
    if (browser.invokeDefault(lastInstance, function, &arg, 1, &result))
        browser.releasevariantvalue(&result);
    browser.releaseobject(function);
}

bool probeInvoke(NPObject*, NPIdentifier name, const NPVariant* args, uint32_t count, NPVariant* result)
{
    result->type = NPVariantType_Void;
    NPUTF8* nameText = browser.utf8fromidentifier(name);
    const std::string method = nameText;
    browser.memfree(nameText);
    NPObject* arg = count > 0 && args[0].type == NPVariantType_Object ? args[0].value.objectValue : nullptr;
    if (method == "inspect" && arg)
        return answer(result, inspect(arg));
    if (method == "construct" && arg) {
        NPVariant made;
        if (!browser.construct(lastInstance, arg, args + 1, count - 1, &made))
            return answer(result, "construct failed");
        const std::string out = "made " + text(made) + " with x=" + read(made.value.objectValue, id("x"));
        browser.releasevariantvalue(&made);
        return answer(result, out);
    }
    if (method == "evaluate" && count > 0 && args[0].type == NPVariantType_String) {
        NPObject* window = nullptr;
        browser.getvalue(lastInstance, NPNVWindowNPObject, &window);
        NPString script = args[0].value.stringValue;
        NPVariant value;
        const bool ran = browser.evaluate(lastInstance, window, &script, &value);
        browser.releaseobject(window);
        if (!ran)
            return answer(result, "script failed");
        const std::string out = text(value);
        browser.releasevariantvalue(&value);
        return answer(result, out);
    }
    if (method == "element") {
        NPObject* element = nullptr;
        browser.getvalue(lastInstance, NPNVPluginElementNPObject, &element);
        const std::string out = "element " + read(element, id("tagName")) + " " + read(element, id("type")) + " " +
                                browser.uagent(lastInstance);
        browser.releaseobject(element);
        return answer(result, out);
    }
    if (method == "callFromThread" && arg) {
        browser.retainobject(arg);
        NPP instance = lastInstance;
        std::thread([instance, arg] { browser.pluginthreadasynccall(instance, &callPage, arg); }).join();
        return true;
    }
    // --- misuse, each reported by the browser
    if (method == "overRelease" && arg) {
        browser.releaseobject(arg);
        browser.releaseobject(arg);
        return true;
    }
    if (method == "foreignFree") {
        void* block = std::malloc(8);
        browser.memfree(block);
        std::free(block);
        return true;
    }
    if (method == "offThread") {
        std::thread([] {
            NPObject* window = nullptr;
            browser.getvalue(lastInstance, NPNVWindowNPObject, &window);
        }).join();
        return true;
    }
    if (method == "unknownIdentifier" && arg) {
        int bogus = 0;
        NPVariant value;
        browser.getproperty(lastInstance, arg, &bogus, &value);
        return true;
    }
    if (method == "leak") {
        browser.memalloc(16);
        return true;
    }
    return false;
}

bool probeHasMethod(NPObject*, NPIdentifier)
{
    return true;
}

NPClass probeClass = {NP_CLASS_STRUCT_VERSION, nullptr, nullptr, nullptr, &probeHasMethod, &probeInvoke,
                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

NPError newInstance(NPMIMEType, NPP instance, uint16_t, int16_t, char**, char**, NPSavedData*)
{
    instance->pdata = browser.createobject(instance, &probeClass);
    lastInstance = instance;
    return NPERR_NO_ERROR;
}

NPError destroyInstance(NPP instance, NPSavedData**)
{
    browser.releaseobject(static_cast<NPObject*>(instance->pdata));
    return NPERR_NO_ERROR;
}

NPError getValue(NPP instance, NPPVariable variable, void* value)
{
    if (variable != NPPVpluginScriptableNPObject)
        return NPERR_GENERIC_ERROR;
    *static_cast<NPObject**>(value) = browser.retainobject(static_cast<NPObject*>(instance->pdata));
    return NPERR_NO_ERROR;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) NPError NP_GetEntryPoints(NPPluginFuncs* funcs)
{
    funcs->newp = &newInstance;
    funcs->destroy = &destroyInstance;
    funcs->getvalue = &getValue;
    return NPERR_NO_ERROR;
}

extern "C" __attribute__((visibility("default"))) NPError NP_Initialize(NPNetscapeFuncs* funcs)
{
    browser = *funcs;
    return NPERR_NO_ERROR;
}

extern "C" __attribute__((visibility("default"))) NPError NP_Shutdown()
{
    return NPERR_NO_ERROR;
}
