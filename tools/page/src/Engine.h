#pragma once
// The page's inside: the duktape heap and what lives beside it. Shared by the
// page's source files only.
//
// duktape reports script errors by longjmp, which must never cross a C++
// frame that owns something. So: every operation that may run page code
// (property access, calls, conversions of unknown objects) goes through a
// script helper called with duk_pcall (callHelper), and every native function
// that duktape calls runs its C++ body under guarded(), which turns a C++
// exception into a script error only after the body's objects are gone.

#include <duktape.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "EventLoop.h"
#include "page/Page.h"

namespace page {

// Restores the value stack's height when it goes, however the scope ends.
class StackGuard {
public:
    explicit StackGuard(duk_context* ctx) : m_ctx(ctx), m_top(duk_get_top(ctx)) {}
    ~StackGuard() { duk_set_top(m_ctx, m_top); }
    StackGuard(const StackGuard&) = delete;
    StackGuard& operator=(const StackGuard&) = delete;

private:
    duk_context* m_ctx;
    duk_idx_t m_top;
};

// Runs a native function's C++ body; a C++ exception becomes a script Error
// carrying its text. The body must capture by reference only.
template <typename Body>
duk_ret_t guarded(duk_context* ctx, Body&& body)
{
    char message[1024];
    try {
        return body();
    } catch (const std::exception& e) {
        std::snprintf(message, sizeof message, "%s", e.what());
    } catch (...) {
        std::snprintf(message, sizeof message, "%s", "unknown C++ exception");
    }
    return duk_error(ctx, DUK_ERR_ERROR, "%s", message);
}

struct Page::Engine {
    explicit Engine(const std::string& url);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    static Engine& of(duk_context* ctx);

    // --- protected calls
    // Pushes the named helper of the environment.
    void pushHelper(const char* name);
    // Calls the function below nargs arguments; leaves the result on the
    // stack, or pops the error and throws ScriptError.
    void pcall(duk_idx_t nargs);
    // The "Name: message" text of the error on the stack top.
    std::string errorText(duk_idx_t index);

    // --- handles
    ObjectId hold(duk_idx_t index);
    // Pushes the held object; throws std::invalid_argument for an unknown id.
    void pushHeld(ObjectId id);
    void release(ObjectId id);

    // --- values
    void push(const Value& value);
    Value toValue(duk_idx_t index, Depth depth, int level = 0);
    // Makes room on the value stack for one level of a value.
    void reserve();
    // Pushes a Ref or Host value; anything else is refused.
    void pushObject(const Value& object);

    // --- host objects (HostProxy.cpp)
    void pushHostObject(const std::shared_ptr<HostObject>& object);
    // The host object behind a wrapper at index, or nullptr.
    std::shared_ptr<HostObject> hostObjectAt(duk_idx_t index);
    void forgetHostObject(std::uint64_t id);

    // --- output and errors
    void write(OutputLine::Kind kind, const std::string& text);
    // Runs a loop step's work; a failure becomes an error line.
    void reportFailure(const std::function<void()>& work);

    // --- scripts
    void runSource(const std::string& source, const std::string& name);

    duk_context* ctx = nullptr;
    bool destroying = false;
    ObjectId nextHandle = 1;
    std::set<ObjectId> handles;
    std::uint64_t nextHostId = 1;
    // One entry per script wrapper; wrappers of one object share it.
    std::map<std::uint64_t, std::shared_ptr<HostObject>> hostObjects;
    std::shared_ptr<PluginProvider> plugins;
    std::vector<OutputLine> output;
    std::function<void(const OutputLine&)> sink;
    EventLoop loop;
};

// Installs the environment's native functions as an object on the stack top.
void pushNatives(duk_context* ctx);
// Installs the shared Proxy handler in the stash.
void installHostHandler(duk_context* ctx);

// The environment's scripts, built in from js/.
extern const char* const environmentScript;
extern const char* const promiseScript;

}  // namespace page
