#pragma once
// A page for the test hosts: an embedded script engine (duktape) with a small
// browser-like environment, an event loop on a virtual clock, and the bridge
// through which a host reaches script objects and exposes its own.
//
// Environment: window (the global object, also `self`), document (location,
// documentElement, head, body, createElement, getElementById,
// getElementsByTagName; elements with attributes, innerHTML, width/height,
// childNodes/parentNode/appendChild/removeChild), location.href,
// console.log/info/warn/error, alert, setTimeout/clearTimeout,
// performance.now() (the virtual clock), Promise (with
// then/catch/finally, resolve/reject/all/race), and
// navigator.createPlugin/destroyPlugin when a PluginProvider is set. The
// engine speaks ES5 plus what duktape adds: no arrow functions, no
// async/await; pages chain with .then.
//
// Time: setTimeout never waits. The loop runs jobs, host tasks and timers in
// order; when only timers are left it moves the virtual clock to the next
// one. Nothing waits for real time, so delays run deterministically.
//
// Threads: everything but post() must be called on the thread that made
// the page. A script that loops forever cannot be interrupted; the loop's
// step limit bounds everything else.

#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "page/HostObject.h"
#include "page/PluginProvider.h"
#include "page/Value.h"

namespace page {

// A script error that reached C++: the script's "Name: message" text.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How script objects come out of the page. References: every object is a
// Ref (a new handle) or a Host value. Values: arrays and plain objects are
// read deeply into Array and Object values; other objects are Refs.
enum class Depth { References, Values };

// One line of the page's own output, in order.
struct OutputLine {
    enum class Kind { Log, Alert, Error };
    Kind kind;
    std::string text;
};

struct RunResult {
    std::size_t steps = 0;
    // False when the step limit stopped the loop with work left.
    bool idle = true;
};

class Page {
public:
    explicit Page(const std::string& url = "about:blank");
    ~Page();
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    // --- scripts (a script error throws ScriptError)
    void run(const std::string& source, const std::string& name = "page");
    // An .html or .htm file through loadHtml, anything else as script.
    void runFile(const std::string& path);
    // Builds the document from the markup (elements with their attributes;
    // head and body merge into the document's own) and then runs its
    // scripts in document order: inline ones, and src= files read from
    // baseDir. Not a full HTML parser: comments, <!DOCTYPE> and raw text of
    // <script>/<style> are understood, entities are not decoded.
    void loadHtml(const std::string& html, const std::string& baseDir = ".");
    // The value of a script expression, evaluated in the global scope.
    Value evaluate(const std::string& source, Depth depth = Depth::References);

    // --- objects (object is a Ref or a Host value)
    Value window();
    Value get(const Value& object, const std::string& name, Depth depth = Depth::References);
    void set(const Value& object, const std::string& name, const Value& value);
    bool remove(const Value& object, const std::string& name);
    // Every property name the object answers to: own ones (enumerable or
    // not) and enumerable inherited ones, without duplicates.
    std::vector<std::string> keys(const Value& object);
    // Calls a function with `this` = self (undefined when not given).
    Value call(const Value& function, const std::vector<Value>& args, const Value& self = Value(),
               Depth depth = Depth::References);
    // Calls object[method] with `this` = object.
    Value invoke(const Value& object, const std::string& method, const std::vector<Value>& args,
                 Depth depth = Depth::References);
    // The elements of an array (or array-like object) and the own enumerable
    // members of any other object, one level deep (elements and members as
    // Depth::References gives them): an Array or an Object value.
    Value read(const Value& object);
    bool isFunction(const Value& value);

    // --- references
    // Lets a handle go; unknown ids are ignored. The value form releases
    // every Ref inside arrays and objects too.
    void release(ObjectId id);
    void release(const Value& value);
    // The value with a new handle for every Ref in it (arrays and objects
    // walked), for a holder that releases independently of the original's.
    Value share(const Value& value);
    // Whether two values name the same script object.
    bool same(const Value& left, const Value& right);
    std::size_t heldCount() const;

    // --- promises the host settles
    struct Pending {
        Value promise;  // a Ref the caller releases
        ObjectId id;    // what resolve/reject take
    };
    Pending newPromise();
    // Settles once; later calls and unknown ids are ignored.
    void resolve(ObjectId id, const Value& value);
    void reject(ObjectId id, const std::string& message);

    // --- plug-ins
    void setPluginProvider(std::shared_ptr<PluginProvider> provider);

    // --- event loop
    // Queues a task for the loop; callable from any thread. A task's
    // exception is reported as an error line.
    void post(std::function<void()> task);
    RunResult runLoop(std::size_t maxSteps = 100000);
    // The virtual clock in milliseconds since the page was made.
    double now() const;
    std::size_t pendingTimers() const;

    // --- output
    // Called for every line as it is written (besides keeping it).
    void setOutputSink(std::function<void(const OutputLine&)> sink);
    const std::vector<OutputLine>& output() const;
    // The texts of one kind of output, in order.
    std::vector<std::string> lines(OutputLine::Kind kind) const;

    struct Engine;

private:
    std::unique_ptr<Engine> m_engine;
};

}  // namespace page
