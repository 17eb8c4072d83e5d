#pragma once
// A browser for the NPAPI adapter's tests, written in C++: its function
// table keeps identifiers, memory and object references the way a browser
// does, dispatches object calls through each object's NPClass (page objects
// of its own, the plug-in's objects alike), runs the page helper and promise
// library that the host injects as small C++ stand-ins, and queues
// pluginthreadasynccall calls until the test pumps them on the main thread.
// Everything the plug-in asks is recorded for the tests to look at.
//
// The tests talk to the page only through this class (objects, calls,
// settlements, pump), so that a browser over a real page engine can take its
// place.

#include <npapi/npfunctions.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace test {

// A script object of the fake page.
class FakeObject : public NPObject {
public:
    using Method = std::function<bool(const NPVariant* args, uint32_t count, NPVariant* result)>;

    explicit FakeObject(std::string label);
    ~FakeObject();
    FakeObject(const FakeObject&) = delete;
    FakeObject& operator=(const FakeObject&) = delete;

    // Stores a copy (strings duplicated, objects retained).
    void set(const std::string& name, const NPVariant& value);
    bool has(const std::string& name) const { return properties.count(name) != 0; }

    std::string label;
    std::map<std::string, NPVariant> properties;
    std::vector<std::string> order;  // property names in the order first set
    std::map<std::string, Method> methods;
    Method callable;  // calling the object itself
    bool isArray = false;
    // Every call made on the object: "name(args)" ("(args)" for the object
    // itself), arguments as describe() gives them.
    std::vector<std::string> calls;
    // Refused operations, as a page object that throws.
    bool failGet = false;
    bool failSet = false;
    bool failCall = false;
    // Runs inside each enumeration of the object, before its names are given.
    std::function<void()> enumerating;

    static NPClass fakeClass;
};

// What the plug-in sent a page deferred.
struct Settlement {
    int calls = 0;
    std::string state = "pending";  // "resolved", "rejected"
    std::string value;
};

struct UrlRequest {
    std::string url;
    bool post = false;
    std::string body;
    void* notifyData = nullptr;
};

struct Timer {
    int delay;
    NPObject* target;
    NPVariant args;
    std::string member;
};

class FakeBrowser {
public:
    FakeBrowser();
    // Drops the page; reports (through leakedObjects) what the plug-in never released.
    ~FakeBrowser();
    FakeBrowser(const FakeBrowser&) = delete;
    FakeBrowser& operator=(const FakeBrowser&) = delete;

    static FakeBrowser& current();

    NPNetscapeFuncs* funcs() { return &m_funcs; }

    // --- the page
    FakeObject* window() const { return m_window; }
    FakeObject* document() const { return m_document; }
    FakeObject* element() const { return m_element; }
    // A new page object (one reference, which the browser keeps until it goes).
    FakeObject* makeObject(const std::string& label);
    // A page function that records its calls and answers result.
    FakeObject* makeFunction(const std::string& label, const NPVariant& result = voidValue());
    std::vector<std::string> evaluated;
    // The settlements of the page deferreds, in the order they were made.
    std::vector<std::shared_ptr<Settlement>> settlements;

    // --- calls the test makes as page script would
    NPIdentifier id(const std::string& name);
    NPIdentifier intId(int32_t number);
    bool invoke(NPObject* obj, const std::string& method, const std::vector<NPVariant>& args, NPVariant* result);
    bool getProperty(NPObject* obj, const std::string& name, NPVariant* result);
    void release(NPVariant* value);
    void retain(NPObject* obj);
    void releaseObject(NPObject* obj);

    // --- the main thread's queue and timers
    std::size_t pump();
    // Pumps until pred holds or about 5 seconds have passed.
    bool pumpUntil(const std::function<bool()>& pred);
    std::size_t queuedCalls() const;

    // --- what the plug-in asked
    std::vector<std::string> calls;  // entry names, in order
    std::size_t count(const std::string& entry) const;
    std::vector<UrlRequest> requests;
    std::vector<std::vector<std::pair<int32_t, uint32_t>>> rangeRequests;
    std::string written;
    std::vector<NPReason> destroyedStreams;
    std::vector<std::string> exceptions;
    std::vector<std::pair<NPPVariable, void*>> setValues;
    std::vector<NPRect> invalidated;
    // Browser calls made away from the main thread (other than pluginthreadasynccall).
    int offThreadCalls = 0;

    // --- how the browser answers
    std::string userAgent = "FakeBrowser/1.0";
    bool failEvaluate = false;
    bool inertEvaluate = false;  // scripts run but define nothing
    bool refuseWindow = false;
    void* browserWindow = nullptr;
    NPError urlResult = NPERR_NO_ERROR;
    NPError proxyResult = NPERR_NO_ERROR;
    std::string proxyText = "DIRECT";
    int32_t writeAnswer = -2;  // -2: takes everything
    // When set, NPN_DestroyStream ends the stream before it returns, as some
    // browsers do: it calls this (the plug-in's NPP_DestroyStream) with the
    // reason it was given.
    NPP_DestroyStreamProcPtr destroyStreamAtOnce = nullptr;

    // --- bookkeeping
    // What the plug-in still held when the last browser went: object
    // references and memory blocks it never gave back.
    static std::size_t leakedObjects;
    static std::size_t leakedAllocations;
    std::size_t liveObjects() const;
    std::size_t liveAllocations() const;
    uint32_t refCount(NPObject* obj) const { return obj->referenceCount; }

    // Helpers for NPVariants in tests.
    static NPVariant voidValue();
    static NPVariant intValue(int32_t value);
    static NPVariant boolValue(bool value);
    static NPVariant doubleValue(double value);
    NPVariant stringValue(const std::string& text);  // browser-allocated copy
    static NPVariant objectValue(NPObject* obj);      // not retained
    // "void", "null", "true", "3", "2.5", "'text'", the label of a page object
    // ("Error(message)" for an Error, "[a, b]" for an array), "plugin".
    static std::string describe(const NPVariant& value);
    static std::string describeArgs(const NPVariant* args, uint32_t count);
    NPVariant copy(const NPVariant& value);

    // The entry points (static, for the table).
    struct Entries;

private:
    friend struct Entries;
    friend class FakeObject;
    void note(const char* entry);
    NPObject* createObject(NPClass* cls);
    void installHelper(const std::string& name);
    void installPromiseLibrary();
    FakeObject* makeDeferred();
    void runTimer(Timer& timer);

    NPNetscapeFuncs m_funcs;
    std::thread::id m_mainThread;
    FakeObject* m_window = nullptr;
    FakeObject* m_document = nullptr;
    FakeObject* m_element = nullptr;
    std::vector<FakeObject*> m_kept;  // objects the page itself holds
    std::map<std::string, std::unique_ptr<std::pair<bool, std::string>>> m_stringIds;
    std::map<int32_t, std::unique_ptr<std::pair<bool, std::string>>> m_intIds;
    std::set<NPObject*> m_objects;
    std::set<void*> m_allocations;
    mutable std::mutex m_queueMutex;
    std::deque<std::pair<void (*)(void*), void*>> m_queue;
    std::deque<Timer> m_timers;
    mutable std::mutex m_noteMutex;
};

}  // namespace test
