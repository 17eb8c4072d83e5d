#pragma once
// An NPAPI browser over a page: it loads the module's entry points, gives it
// a browser function table (NpEntries.cpp) that works on the page, makes
// plug-in instances for navigator.createPlugin and destroys them, and
// carries objects both ways: script objects of the page reach the plug-in as
// browser-made NPObjects (PageObject), the plug-in's NPObjects reach the
// page as host objects (PluginObject).
//
// Every NPObject and memory block the module gets from the browser is kept
// in a ledger; what is still held after NP_Shutdown is reported as a leak.
// URLs are local files only, delivered as streams on the page's loop.
//
// Misuse of the browser (an object used after its last release, a block the
// browser never gave, a call off the main thread) is reported as a fault.
// Either makes the run fail.
//
// One browser is open at a time: the table's entries have no other way to
// find it. Everything but postAsync, the memory entries and the identifier
// entries runs on the thread that made the browser.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <npapi/npfunctions.h>

#include "MemoryLedger.h"
#include "NpModule.h"
#include "ObjectLedger.h"
#include "UrlStream.h"
#include "page/Page.h"

namespace npbrowser {

class PluginObject;

class NpBrowser : public std::enable_shared_from_this<NpBrowser> {
public:
    using Report = std::function<void(const std::string&)>;

    // report prints the browser's own lines (faults, leaks, what it does not support).
    NpBrowser(page::Page& page, const NpModule& module, Report report);
    ~NpBrowser();
    NpBrowser(const NpBrowser&) = delete;
    NpBrowser& operator=(const NpBrowser&) = delete;

    // NP_GetEntryPoints and NP_Initialize with this browser's table; throws
    // std::runtime_error when the module refuses.
    void open();
    // Destroys the instances left, lets the page run what that sets off,
    // lets go of the plug-in objects the page held, calls NP_Shutdown and
    // reports what the module still holds.
    void close(std::size_t maxSteps);
    bool isOpen() const { return m_open; }
    // The faults and leaks reported so far.
    std::size_t faultCount() const;

    static NpBrowser* active() { return s_active.load(); }

    // --- instances (navigator.createPlugin / destroyPlugin)
    // params: an Object value read deeply, whose Refs this call lets go.
    page::Value createInstance(const std::string& mimeType, const page::Value& params);
    void destroyInstance(const page::Value& plugin);
    bool instanceAlive(NPP npp) const { return npp && m_instances.count(npp) != 0; }
    // The instance's element (a new handle) or undefined.
    page::Value elementOf(NPP npp);

    // --- URLs (NPN_GetURL, NPN_GetURLNotify): local files as streams
    NPError requestUrl(NPP npp, const char* url, const char* target, bool notify, void* notifyData);
    // NPN_DestroyStream: the stream ends on the loop's next turn.
    NPError closeStream(NPP npp, NPStream* stream, NPReason reason);

    // --- what the entries use
    page::Page& page() { return m_page; }
    ObjectLedger& objects() { return m_objects; }
    MemoryLedger& memory() { return m_memory; }
    const char* userAgent() const { return m_userAgent.c_str(); }
    bool onMainThread() const { return std::this_thread::get_id() == m_mainThread; }
    // Reported at once on the main thread, at close from other threads; any thread.
    void fault(const std::string& text);
    void unsupported(const std::string& what);
    // NPN_PluginThreadAsyncCall: runs on the page's loop while the instance
    // lives (a browser drops the calls of a destroyed instance); any thread.
    void postAsync(NPP npp, void (*func)(void*), void* data);
    // NPN_SetException: thrown at the script when the plug-in call returns.
    void setException(const std::string& message) { m_exception = message; m_hasException = true; }
    void clearException() { m_hasException = false; }
    // Throws std::runtime_error with the exception the plug-in set, if any.
    void throwPendingException();
    // Calls a member of the browser's page helpers (helpers.js below).
    page::Value callHelper(const char* name, const std::vector<page::Value>& args);

    // --- values (NpValues.cpp)
    // A new page object for the plug-in (one reference) that takes the handle over.
    NPObject* pageObject(page::ObjectId handle);
    // The value for the plug-in; the value's Refs are taken over.
    NPVariant toVariant(const page::Value& value);
    // The value for a page operation: page objects as their own handles,
    // valid while the variant is held.
    page::Value borrow(const NPVariant& value);
    // The value for the script that called the plug-in: handles of its own,
    // let go after the current loop step.
    page::Value toScript(const NPVariant& value);
    // A string the plug-in may free (NPN_MemAlloc).
    NPVariant stringVariant(const std::string& text);
    // NPN_ReleaseVariantValue (or the browser's own release, named by entry
    // in a fault); the variant becomes void.
    void releaseVariant(NPVariant& value, const char* entry = "NPN_ReleaseVariantValue");
    // A live object the plug-in hands over, or a fault.
    bool usable(const NPObject* obj, const char* entry);

    // --- plug-in objects in the page (one wrapper per object while it lives)
    std::shared_ptr<PluginObject> wrap(NPObject* obj);
    // A wrapper is going: the reference it still held is given back on the loop.
    void unwrapped(NPObject* obj, bool holding);

private:
    struct Instance {
        std::string mimeType;
        NPObject* scriptable = nullptr;  // one reference, held by the "element"
        page::Value element;             // a Ref
    };

    void destroy(NPP npp);
    void deliver(std::uint64_t id);
    void dropWrappers(NPP owner, bool all);
    void reportLeaks();

    static std::atomic<NpBrowser*> s_active;

    page::Page& m_page;
    const NpModule& m_module;
    Report m_report;
    std::thread::id m_mainThread;
    std::string m_userAgent;
    page::Value m_helpers;
    NPNetscapeFuncs m_funcs{};
    NPPluginFuncs m_plugin{};
    bool m_open = false;
    bool m_initialized = false;

    ObjectLedger m_objects;
    MemoryLedger m_memory;
    std::map<NPP, Instance> m_instances;
    // Every NPP handed out, kept for the browser's life so that a late call
    // with a destroyed instance can never match a new one.
    std::vector<std::unique_ptr<NPP_t>> m_npps;
    std::map<NPObject*, std::weak_ptr<PluginObject>> m_wrappers;
    // Held shared: a step may destroy its own instance, and with it the entry.
    std::map<std::uint64_t, std::shared_ptr<UrlStream>> m_streams;
    std::uint64_t m_nextStream = 1;

    std::string m_exception;
    bool m_hasException = false;

    mutable std::mutex m_faultMutex;
    std::size_t m_faults = 0;
    std::vector<std::string> m_laterFaults;
};

// Fills the browser's function table (NpEntries.cpp).
void fillBrowserFuncs(NPNetscapeFuncs& funcs);

}  // namespace npbrowser
