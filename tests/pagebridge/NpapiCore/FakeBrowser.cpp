#include "FakeBrowser.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace test {

namespace {

FakeBrowser* currentBrowser = nullptr;

using Ident = std::pair<bool, std::string>;

const std::string& nameOf(NPIdentifier id)
{
    return static_cast<Ident*>(id)->second;
}

FakeObject* fake(NPObject* obj)
{
    return obj && obj->_class == &FakeObject::fakeClass ? static_cast<FakeObject*>(obj) : nullptr;
}

bool isIndex(const std::string& name)
{
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

// --- page objects

FakeObject::FakeObject(std::string label) : label(std::move(label))
{
    _class = &fakeClass;
    referenceCount = 0;
}

FakeObject::~FakeObject()
{
    for (auto& entry : properties)
        FakeBrowser::current().release(&entry.second);
}

void FakeObject::set(const std::string& name, const NPVariant& value)
{
    FakeBrowser& browser = FakeBrowser::current();
    auto found = properties.find(name);
    if (found != properties.end())
        browser.release(&found->second);
    else
        order.push_back(name);
    properties[name] = browser.copy(value);
    if (isArray && isIndex(name)) {
        const int32_t index = std::atoi(name.c_str());
        auto length = properties.find("length");
        if (length == properties.end() || length->second.value.intValue <= index)
            set("length", FakeBrowser::intValue(index + 1));
    }
}

namespace {

bool fakeHasMethod(NPObject* obj, NPIdentifier name)
{
    return fake(obj)->methods.count(nameOf(name)) != 0;
}

bool fakeInvoke(NPObject* obj, NPIdentifier name, const NPVariant* args, uint32_t count, NPVariant* result)
{
    FakeObject* self = fake(obj);
    result->type = NPVariantType_Void;
    const std::string& method = nameOf(name);
    self->calls.push_back(method + "(" + FakeBrowser::describeArgs(args, count) + ")");
    if (self->failCall)
        return false;
    auto found = self->methods.find(method);
    if (found != self->methods.end())
        return found->second(args, count, result);
    auto property = self->properties.find(method);
    if (property != self->properties.end() && property->second.type == NPVariantType_Object) {
        FakeObject* function = fake(property->second.value.objectValue);
        if (function && function->callable) {
            function->calls.push_back("(" + FakeBrowser::describeArgs(args, count) + ")");
            return function->callable(args, count, result);
        }
    }
    return false;
}

bool fakeInvokeDefault(NPObject* obj, const NPVariant* args, uint32_t count, NPVariant* result)
{
    FakeObject* self = fake(obj);
    result->type = NPVariantType_Void;
    self->calls.push_back("(" + FakeBrowser::describeArgs(args, count) + ")");
    if (self->failCall || !self->callable)
        return false;
    return self->callable(args, count, result);
}

bool fakeHasProperty(NPObject* obj, NPIdentifier name)
{
    return fake(obj)->has(nameOf(name));
}

bool fakeGetProperty(NPObject* obj, NPIdentifier name, NPVariant* result)
{
    FakeObject* self = fake(obj);
    result->type = NPVariantType_Void;
    if (self->failGet)
        return false;
    auto found = self->properties.find(nameOf(name));
    if (found != self->properties.end())
        *result = FakeBrowser::current().copy(found->second);
    return true;
}

bool fakeSetProperty(NPObject* obj, NPIdentifier name, const NPVariant* value)
{
    FakeObject* self = fake(obj);
    if (self->failSet)
        return false;
    self->set(nameOf(name), *value);
    return true;
}

bool fakeRemoveProperty(NPObject* obj, NPIdentifier name)
{
    FakeObject* self = fake(obj);
    auto found = self->properties.find(nameOf(name));
    if (found == self->properties.end())
        return false;
    FakeBrowser::current().release(&found->second);
    self->properties.erase(found);
    self->order.erase(std::remove(self->order.begin(), self->order.end(), nameOf(name)), self->order.end());
    return true;
}

bool fakeEnumerate(NPObject* obj, NPIdentifier** ids, uint32_t* count)
{
    FakeObject* self = fake(obj);
    if (self->enumerating)
        self->enumerating();
    FakeBrowser& browser = FakeBrowser::current();
    *count = static_cast<uint32_t>(self->order.size());
    *ids = static_cast<NPIdentifier*>(browser.funcs()->memalloc(static_cast<uint32_t>(sizeof(NPIdentifier) * (*count + 1))));
    for (uint32_t i = 0; i < *count; ++i)
        (*ids)[i] = browser.id(self->order[i]);
    return true;
}

NPObject* fakeAllocate(NPP, NPClass*)
{
    return new FakeObject("object");
}

void fakeDeallocate(NPObject* obj)
{
    delete fake(obj);
}

}  // namespace

NPClass FakeObject::fakeClass = {NP_CLASS_STRUCT_VERSION,
                                 &fakeAllocate,
                                 &fakeDeallocate,
                                 nullptr,
                                 &fakeHasMethod,
                                 &fakeInvoke,
                                 &fakeInvokeDefault,
                                 &fakeHasProperty,
                                 &fakeGetProperty,
                                 &fakeSetProperty,
                                 &fakeRemoveProperty,
                                 &fakeEnumerate,
                                 nullptr};

// --- the browser's entries

struct FakeBrowser::Entries {
    static FakeBrowser& b(const char* entry)
    {
        FakeBrowser& browser = current();
        browser.note(entry);
        return browser;
    }

    static NPError geturl(NPP, const char* url, const char*)
    {
        b("geturl").requests.push_back({url ? url : "", false, "", nullptr});
        return NPERR_NO_ERROR;
    }
    static NPError geturlnotify(NPP, const char* url, const char*, void* notifyData)
    {
        FakeBrowser& browser = b("geturlnotify");
        browser.requests.push_back({url ? url : "", false, "", notifyData});
        return browser.urlResult;
    }
    static NPError posturlnotify(NPP, const char* url, const char*, uint32_t len, const char* buf, NPBool,
                                 void* notifyData)
    {
        FakeBrowser& browser = b("posturlnotify");
        browser.requests.push_back({url ? url : "", true, std::string(buf, len), notifyData});
        return browser.urlResult;
    }
    static NPError requestread(NPStream*, NPByteRange* ranges)
    {
        FakeBrowser& browser = b("requestread");
        std::vector<std::pair<int32_t, uint32_t>> list;
        for (NPByteRange* r = ranges; r; r = r->next)
            list.emplace_back(r->offset, r->length);
        browser.rangeRequests.push_back(list);
        return NPERR_NO_ERROR;
    }
    static int32_t write(NPP, NPStream*, int32_t len, void* buffer)
    {
        FakeBrowser& browser = b("write");
        const int32_t taken = browser.writeAnswer == -2 ? len : browser.writeAnswer;
        if (taken > 0)
            browser.written.append(static_cast<const char*>(buffer), static_cast<std::size_t>(taken));
        return taken;
    }
    static NPError destroystream(NPP npp, NPStream* stream, NPReason reason)
    {
        FakeBrowser& browser = b("destroystream");
        browser.destroyedStreams.push_back(reason);
        if (browser.destroyStreamAtOnce)
            browser.destroyStreamAtOnce(npp, stream, reason);
        return NPERR_NO_ERROR;
    }
    static const char* uagent(NPP)
    {
        return b("uagent").userAgent.c_str();
    }
    static void* memalloc(uint32_t size)
    {
        FakeBrowser& browser = b("memalloc");
        void* block = std::malloc(size ? size : 1);
        std::lock_guard<std::mutex> lock(browser.m_queueMutex);
        browser.m_allocations.insert(block);
        return block;
    }
    static void memfree(void* ptr)
    {
        FakeBrowser& browser = b("memfree");
        if (!ptr)
            return;
        std::lock_guard<std::mutex> lock(browser.m_queueMutex);
        if (browser.m_allocations.erase(ptr))
            std::free(ptr);
    }
    static NPError getvalue(NPP, NPNVariable variable, void* value)
    {
        FakeBrowser& browser = b("getvalue");
        switch (variable) {
        case NPNVWindowNPObject:
            if (browser.refuseWindow)
                return NPERR_GENERIC_ERROR;
            browser.retain(browser.m_window);
            *static_cast<NPObject**>(value) = browser.m_window;
            return NPERR_NO_ERROR;
        case NPNVPluginElementNPObject:
            browser.retain(browser.m_element);
            *static_cast<NPObject**>(value) = browser.m_element;
            return NPERR_NO_ERROR;
        case NPNVnetscapeWindow:
            if (!browser.browserWindow)
                return NPERR_GENERIC_ERROR;
            *static_cast<void**>(value) = browser.browserWindow;
            return NPERR_NO_ERROR;
        default:
            return NPERR_GENERIC_ERROR;
        }
    }
    static NPError setvalue(NPP, NPPVariable variable, void* value)
    {
        b("setvalue").setValues.emplace_back(variable, value);
        return NPERR_NO_ERROR;
    }
    static void invalidaterect(NPP, NPRect* rect)
    {
        b("invalidaterect").invalidated.push_back(*rect);
    }
    static NPIdentifier getstringidentifier(const NPUTF8* name)
    {
        return b("getstringidentifier").id(name);
    }
    static NPIdentifier getintidentifier(int32_t number)
    {
        return b("getintidentifier").intId(number);
    }
    static bool identifierisstring(NPIdentifier id)
    {
        b("identifierisstring");
        return static_cast<Ident*>(id)->first;
    }
    static NPUTF8* utf8fromidentifier(NPIdentifier id)
    {
        const std::string& name = nameOf(id);
        char* text = static_cast<char*>(memalloc(static_cast<uint32_t>(name.size() + 1)));
        b("utf8fromidentifier");
        std::memcpy(text, name.c_str(), name.size() + 1);
        return text;
    }
    static int32_t intfromidentifier(NPIdentifier id)
    {
        b("intfromidentifier");
        return std::atoi(nameOf(id).c_str());
    }
    static NPObject* createobject(NPP, NPClass* cls)
    {
        return b("createobject").createObject(cls);
    }
    static NPObject* retainobject(NPObject* obj)
    {
        b("retainobject").retain(obj);
        return obj;
    }
    static void releaseobject(NPObject* obj)
    {
        b("releaseobject").releaseObject(obj);
    }
    static bool invoke(NPP, NPObject* obj, NPIdentifier name, const NPVariant* args, uint32_t count, NPVariant* result)
    {
        b("invoke");
        return obj && obj->_class->invoke && obj->_class->invoke(obj, name, args, count, result);
    }
    static bool invokeDefault(NPP, NPObject* obj, const NPVariant* args, uint32_t count, NPVariant* result)
    {
        b("invokeDefault");
        return obj && obj->_class->invokeDefault && obj->_class->invokeDefault(obj, args, count, result);
    }
    static bool evaluate(NPP, NPObject*, NPString* script, NPVariant* result)
    {
        FakeBrowser& browser = b("evaluate");
        const std::string text(script->UTF8Characters, script->UTF8Length);
        browser.evaluated.push_back(text);
        result->type = NPVariantType_Void;
        if (browser.failEvaluate)
            return false;
        if (browser.inertEvaluate)
            return true;
        const std::string prefix = "!function(){window.";
        if (text.compare(0, prefix.size(), prefix) == 0)
            browser.installHelper(text.substr(prefix.size(), text.find('=') - prefix.size()));
        else if (text.find("PageBridgePromise") != std::string::npos)
            browser.installPromiseLibrary();
        return true;
    }
    static bool getproperty(NPP, NPObject* obj, NPIdentifier name, NPVariant* result)
    {
        b("getproperty");
        return obj && obj->_class->getProperty && obj->_class->getProperty(obj, name, result);
    }
    static bool setproperty(NPP, NPObject* obj, NPIdentifier name, const NPVariant* value)
    {
        b("setproperty");
        return obj && obj->_class->setProperty && obj->_class->setProperty(obj, name, value);
    }
    static bool removeproperty(NPP, NPObject* obj, NPIdentifier name)
    {
        b("removeproperty");
        return obj && obj->_class->removeProperty && obj->_class->removeProperty(obj, name);
    }
    static bool hasproperty(NPP, NPObject* obj, NPIdentifier name)
    {
        b("hasproperty");
        return obj && obj->_class->hasProperty && obj->_class->hasProperty(obj, name);
    }
    static bool hasmethod(NPP, NPObject* obj, NPIdentifier name)
    {
        b("hasmethod");
        return obj && obj->_class->hasMethod && obj->_class->hasMethod(obj, name);
    }
    static bool enumerate(NPP, NPObject* obj, NPIdentifier** ids, uint32_t* count)
    {
        b("enumerate");
        return obj && obj->_class->enumerate && obj->_class->enumerate(obj, ids, count);
    }
    static void releasevariantvalue(NPVariant* value)
    {
        b("releasevariantvalue").release(value);
    }
    static void setexception(NPObject*, const NPUTF8* message)
    {
        b("setexception").exceptions.push_back(message ? message : "");
    }
    static void pushpopupsenabledstate(NPP, NPBool)
    {
        b("pushpopupsenabledstate");
    }
    static void poppopupsenabledstate(NPP)
    {
        b("poppopupsenabledstate");
    }
    static void pluginthreadasynccall(NPP, void (*func)(void*), void* data)
    {
        FakeBrowser& browser = current();
        {
            std::lock_guard<std::mutex> lock(browser.m_noteMutex);
            browser.calls.push_back("pluginthreadasynccall");
        }
        std::lock_guard<std::mutex> lock(browser.m_queueMutex);
        browser.m_queue.emplace_back(func, data);
    }
    static NPError getvalueforurl(NPP, NPNURLVariable, const char*, char** value, uint32_t* len)
    {
        FakeBrowser& browser = b("getvalueforurl");
        if (browser.proxyResult != NPERR_NO_ERROR)
            return browser.proxyResult;
        *value = static_cast<char*>(memalloc(static_cast<uint32_t>(browser.proxyText.size() + 1)));
        std::memcpy(*value, browser.proxyText.c_str(), browser.proxyText.size() + 1);
        *len = static_cast<uint32_t>(browser.proxyText.size());
        return NPERR_NO_ERROR;
    }
};

FakeBrowser::FakeBrowser() : m_mainThread(std::this_thread::get_id())
{
    currentBrowser = this;
    std::memset(&m_funcs, 0, sizeof(m_funcs));
    m_funcs.size = sizeof(m_funcs);
    m_funcs.version = 27;
    m_funcs.geturl = &Entries::geturl;
    m_funcs.geturlnotify = &Entries::geturlnotify;
    m_funcs.posturlnotify = &Entries::posturlnotify;
    m_funcs.requestread = &Entries::requestread;
    m_funcs.write = &Entries::write;
    m_funcs.destroystream = &Entries::destroystream;
    m_funcs.uagent = &Entries::uagent;
    m_funcs.memalloc = &Entries::memalloc;
    m_funcs.memfree = &Entries::memfree;
    m_funcs.getvalue = &Entries::getvalue;
    m_funcs.setvalue = &Entries::setvalue;
    m_funcs.invalidaterect = &Entries::invalidaterect;
    m_funcs.getstringidentifier = &Entries::getstringidentifier;
    m_funcs.getintidentifier = &Entries::getintidentifier;
    m_funcs.identifierisstring = &Entries::identifierisstring;
    m_funcs.utf8fromidentifier = &Entries::utf8fromidentifier;
    m_funcs.intfromidentifier = &Entries::intfromidentifier;
    m_funcs.createobject = &Entries::createobject;
    m_funcs.retainobject = &Entries::retainobject;
    m_funcs.releaseobject = &Entries::releaseobject;
    m_funcs.invoke = &Entries::invoke;
    m_funcs.invokeDefault = &Entries::invokeDefault;
    m_funcs.evaluate = &Entries::evaluate;
    m_funcs.getproperty = &Entries::getproperty;
    m_funcs.setproperty = &Entries::setproperty;
    m_funcs.removeproperty = &Entries::removeproperty;
    m_funcs.hasproperty = &Entries::hasproperty;
    m_funcs.hasmethod = &Entries::hasmethod;
    m_funcs.enumerate = &Entries::enumerate;
    m_funcs.releasevariantvalue = &Entries::releasevariantvalue;
    m_funcs.setexception = &Entries::setexception;
    m_funcs.pushpopupsenabledstate = &Entries::pushpopupsenabledstate;
    m_funcs.poppopupsenabledstate = &Entries::poppopupsenabledstate;
    m_funcs.pluginthreadasynccall = &Entries::pluginthreadasynccall;
    m_funcs.getvalueforurl = &Entries::getvalueforurl;

    m_window = makeObject("window");
    m_document = makeObject("document");
    m_element = makeObject("element");
    m_window->set("document", objectValue(m_document));
    // As a page's Array: one number n makes an empty array of length n (a
    // RangeError unless n is a whole number that fits 32 bits); any other
    // arguments become the elements.
    // As a page's Array: a single number n makes an empty array of length n
    // (a RangeError unless n is a whole number that fits 32 bits); other
    // arguments become the elements.
    m_window->methods["Array"] = [this](const NPVariant* args, uint32_t count, NPVariant* result) {
        const bool sized =
            count == 1 && (args[0].type == NPVariantType_Int32 || args[0].type == NPVariantType_Double);
        int32_t length = 0;
        if (sized) {
            const double n = args[0].type == NPVariantType_Int32 ? args[0].value.intValue : args[0].value.doubleValue;
            if (!(n >= 0 && n <= 4294967295.0 && n == std::floor(n)))
                return false;  // RangeError
            if (n > INT32_MAX)
                return false;  // more than this page keeps
            length = static_cast<int32_t>(n);
        }
        FakeObject* array = static_cast<FakeObject*>(createObject(&FakeObject::fakeClass));
        array->label = "Array";
        array->isArray = true;
        array->set("length", intValue(length));
        for (uint32_t i = 0; !sized && i < count; ++i)
            array->set(std::to_string(i), args[i]);
        *result = objectValue(array);
        return true;
    };
    m_window->methods["Object"] = [this](const NPVariant*, uint32_t, NPVariant* result) {
        FakeObject* object = static_cast<FakeObject*>(createObject(&FakeObject::fakeClass));
        object->label = "Object";
        *result = objectValue(object);
        return true;
    };
}

FakeBrowser::~FakeBrowser()
{
    for (Timer& timer : m_timers) {
        release(&timer.args);
        if (timer.target)
            releaseObject(timer.target);
    }
    m_timers.clear();
    for (FakeObject* obj : m_kept)
        releaseObject(obj);
    leakedObjects = m_objects.size();
    leakedAllocations = m_allocations.size();
    for (void* block : m_allocations)
        std::free(block);
    currentBrowser = nullptr;
}

std::size_t FakeBrowser::leakedObjects = 0;
std::size_t FakeBrowser::leakedAllocations = 0;

FakeBrowser& FakeBrowser::current()
{
    return *currentBrowser;
}

void FakeBrowser::note(const char* entry)
{
    std::lock_guard<std::mutex> lock(m_noteMutex);
    calls.push_back(entry);
    if (std::this_thread::get_id() != m_mainThread)
        ++offThreadCalls;
}

std::size_t FakeBrowser::count(const std::string& entry) const
{
    std::lock_guard<std::mutex> lock(m_noteMutex);
    return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), entry));
}

NPObject* FakeBrowser::createObject(NPClass* cls)
{
    NPObject* obj = cls->allocate ? cls->allocate(nullptr, cls) : new FakeObject("object");
    obj->_class = cls;
    obj->referenceCount = 1;
    m_objects.insert(obj);
    return obj;
}

FakeObject* FakeBrowser::makeObject(const std::string& label)
{
    FakeObject* obj = static_cast<FakeObject*>(createObject(&FakeObject::fakeClass));
    obj->label = label;
    m_kept.push_back(obj);
    return obj;
}

FakeObject* FakeBrowser::makeFunction(const std::string& label, const NPVariant& result)
{
    FakeObject* function = makeObject(label);
    NPVariant answer = copy(result);
    function->callable = [this, answer](const NPVariant*, uint32_t, NPVariant* out) {
        *out = copy(answer);
        return true;
    };
    return function;
}

NPIdentifier FakeBrowser::id(const std::string& name)
{
    auto& slot = m_stringIds[name];
    if (!slot)
        slot = std::make_unique<Ident>(true, name);
    return slot.get();
}

NPIdentifier FakeBrowser::intId(int32_t number)
{
    auto& slot = m_intIds[number];
    if (!slot)
        slot = std::make_unique<Ident>(false, std::to_string(number));
    return slot.get();
}

void FakeBrowser::retain(NPObject* obj)
{
    if (obj)
        ++obj->referenceCount;
}

void FakeBrowser::releaseObject(NPObject* obj)
{
    if (!obj || --obj->referenceCount != 0)
        return;
    m_objects.erase(obj);
    if (obj->_class->deallocate)
        obj->_class->deallocate(obj);
    else
        delete static_cast<FakeObject*>(obj);
}

void FakeBrowser::release(NPVariant* value)
{
    if (value->type == NPVariantType_String) {
        void* chars = const_cast<NPUTF8*>(value->value.stringValue.UTF8Characters);
        std::lock_guard<std::mutex> lock(m_queueMutex);
        if (m_allocations.erase(chars))
            std::free(chars);
    } else if (value->type == NPVariantType_Object) {
        releaseObject(value->value.objectValue);
    }
    value->type = NPVariantType_Void;
}

NPVariant FakeBrowser::copy(const NPVariant& value)
{
    if (value.type == NPVariantType_String)
        return stringValue(std::string(value.value.stringValue.UTF8Characters, value.value.stringValue.UTF8Length));
    if (value.type == NPVariantType_Object)
        retain(value.value.objectValue);
    return value;
}

bool FakeBrowser::invoke(NPObject* obj, const std::string& method, const std::vector<NPVariant>& args,
                         NPVariant* result)
{
    result->type = NPVariantType_Void;
    const NPVariant* data = args.empty() ? nullptr : args.data();
    const uint32_t count = static_cast<uint32_t>(args.size());
    if (method.empty())
        return obj->_class->invokeDefault(obj, data, count, result);
    return obj->_class->invoke(obj, id(method), data, count, result);
}

bool FakeBrowser::getProperty(NPObject* obj, const std::string& name, NPVariant* result)
{
    result->type = NPVariantType_Void;
    return obj->_class->getProperty(obj, id(name), result);
}

void FakeBrowser::installHelper(const std::string& name)
{
    FakeObject* helper = static_cast<FakeObject*>(createObject(&FakeObject::fakeClass));
    helper->label = "helper";
    helper->methods["asyncCall"] = [this](const NPVariant* args, uint32_t count, NPVariant* result) {
        Timer timer{args[0].value.intValue, nullptr, copy(args[2]), count > 3 ? describe(args[3]) : ""};
        if (args[1].type == NPVariantType_Object) {
            timer.target = args[1].value.objectValue;
            retain(timer.target);
        }
        if (timer.member.size() >= 2)
            timer.member = timer.member.substr(1, timer.member.size() - 2);  // unquoted
        m_timers.push_back(timer);
        *result = intValue(static_cast<int32_t>(m_timers.size()));
        return true;
    };
    helper->methods["makeError"] = [this](const NPVariant* args, uint32_t, NPVariant* result) {
        FakeObject* error = static_cast<FakeObject*>(createObject(&FakeObject::fakeClass));
        error->label = "Error";
        error->set("message", args[0]);
        *result = objectValue(error);
        return true;
    };
    m_window->set(name, objectValue(helper));
    releaseObject(helper);
}

FakeObject* FakeBrowser::makeDeferred()
{
    FakeObject* deferred = static_cast<FakeObject*>(createObject(&FakeObject::fakeClass));
    deferred->label = "deferred";
    FakeObject* promise = static_cast<FakeObject*>(createObject(&FakeObject::fakeClass));
    promise->label = "promise";
    deferred->set("promise", objectValue(promise));
    releaseObject(promise);
    auto settlement = std::make_shared<Settlement>();
    settlements.push_back(settlement);
    auto settle = [settlement](const char* state) {
        return [settlement, state](const NPVariant* args, uint32_t count, NPVariant*) {
            if (++settlement->calls == 1) {
                settlement->state = state;
                settlement->value = describeArgs(args, count);
            }
            return true;
        };
    };
    deferred->methods["resolve"] = settle("resolved");
    deferred->methods["reject"] = settle("rejected");
    return deferred;
}

void FakeBrowser::installPromiseLibrary()
{
    m_window->methods["PageBridgePromise"] = [this](const NPVariant*, uint32_t, NPVariant* result) {
        *result = objectValue(makeDeferred());
        return true;
    };
}

void FakeBrowser::runTimer(Timer& timer)
{
    std::vector<NPVariant> args;
    if (FakeObject* array = fake(timer.args.type == NPVariantType_Object ? timer.args.value.objectValue : nullptr)) {
        const auto length = array->properties.find("length");
        const int32_t n = length == array->properties.end() ? 0 : length->second.value.intValue;
        for (int32_t i = 0; i < n; ++i)
            args.push_back(array->properties[std::to_string(i)]);
    }
    if (timer.target) {
        NPVariant result;
        invoke(timer.target, timer.member, args, &result);
        release(&result);
        releaseObject(timer.target);
    }
    release(&timer.args);
}

std::size_t FakeBrowser::pump()
{
    std::size_t ran = 0;
    for (int round = 0; round < 1000; ++round) {
        std::pair<void (*)(void*), void*> call{nullptr, nullptr};
        {
            std::lock_guard<std::mutex> lock(m_queueMutex);
            if (!m_queue.empty()) {
                call = m_queue.front();
                m_queue.pop_front();
            }
        }
        if (call.first) {
            call.first(call.second);
            ++ran;
            continue;
        }
        if (m_timers.empty())
            break;
        // The shortest delay first; equal delays in the order they were set.
        auto next = std::min_element(m_timers.begin(), m_timers.end(),
                                     [](const Timer& a, const Timer& b) { return a.delay < b.delay; });
        Timer timer = *next;
        m_timers.erase(next);
        runTimer(timer);
        ++ran;
    }
    return ran;
}

bool FakeBrowser::pumpUntil(const std::function<bool()>& pred)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        if (pump() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::size_t FakeBrowser::queuedCalls() const
{
    std::lock_guard<std::mutex> lock(m_queueMutex);
    return m_queue.size();
}

std::size_t FakeBrowser::liveObjects() const
{
    return m_objects.size();
}

std::size_t FakeBrowser::liveAllocations() const
{
    std::lock_guard<std::mutex> lock(m_queueMutex);
    return m_allocations.size();
}

NPVariant FakeBrowser::voidValue()
{
    NPVariant v;
    v.type = NPVariantType_Void;
    return v;
}

NPVariant FakeBrowser::intValue(int32_t value)
{
    NPVariant v;
    v.type = NPVariantType_Int32;
    v.value.intValue = value;
    return v;
}

NPVariant FakeBrowser::boolValue(bool value)
{
    NPVariant v;
    v.type = NPVariantType_Bool;
    v.value.boolValue = value;
    return v;
}

NPVariant FakeBrowser::doubleValue(double value)
{
    NPVariant v;
    v.type = NPVariantType_Double;
    v.value.doubleValue = value;
    return v;
}

NPVariant FakeBrowser::stringValue(const std::string& text)
{
    char* chars = static_cast<char*>(Entries::memalloc(static_cast<uint32_t>(text.size() + 1)));
    std::memcpy(chars, text.c_str(), text.size() + 1);
    NPVariant v;
    v.type = NPVariantType_String;
    v.value.stringValue.UTF8Characters = chars;
    v.value.stringValue.UTF8Length = static_cast<uint32_t>(text.size());
    return v;
}

NPVariant FakeBrowser::objectValue(NPObject* obj)
{
    NPVariant v;
    v.type = NPVariantType_Object;
    v.value.objectValue = obj;
    return v;
}

std::string FakeBrowser::describe(const NPVariant& value)
{
    std::ostringstream text;
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
        text << value.value.doubleValue;
        return text.str();
    case NPVariantType_String:
        return "'" + std::string(value.value.stringValue.UTF8Characters, value.value.stringValue.UTF8Length) + "'";
    case NPVariantType_Object: {
        FakeObject* obj = fake(value.value.objectValue);
        if (!obj)
            return "plugin";
        if (obj->label == "Error") {
            const NPVariant& message = obj->properties["message"];
            return "Error(" + std::string(message.value.stringValue.UTF8Characters,
                                          message.value.stringValue.UTF8Length) + ")";
        }
        if (obj->isArray) {
            const int32_t n = obj->properties["length"].value.intValue;
            text << "[";
            for (int32_t i = 0; i < n; ++i)
                text << (i ? ", " : "") << describe(obj->properties[std::to_string(i)]);
            text << "]";
            return text.str();
        }
        if (obj->label == "Object") {
            text << "{";
            for (std::size_t i = 0; i < obj->order.size(); ++i)
                text << (i ? ", " : "") << obj->order[i] << ": " << describe(obj->properties[obj->order[i]]);
            text << "}";
            return text.str();
        }
        return obj->label;
    }
    default:
        return "?";
    }
}

std::string FakeBrowser::describeArgs(const NPVariant* args, uint32_t count)
{
    std::string text;
    for (uint32_t i = 0; i < count; ++i)
        text += (i ? ", " : "") + describe(args[i]);
    return text;
}

}  // namespace test
