#include "page/Page.h"

#include <fstream>
#include <sstream>

#include "Engine.h"

namespace page {

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("Cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string directoryOf(const std::string& path)
{
    const std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string stringAt(duk_context* ctx, duk_idx_t index)
{
    duk_size_t length = 0;
    const char* text = duk_get_lstring(ctx, index, &length);
    return text ? std::string(text, length) : std::string();
}

}  // namespace

Page::Page(const std::string& url) : m_engine(std::make_unique<Engine>(url)) {}

Page::~Page() = default;

void Page::run(const std::string& source, const std::string& name)
{
    m_engine->runSource(source, name);
}

void Page::runFile(const std::string& path)
{
    const std::string text = readFile(path);
    if (endsWith(path, ".html") || endsWith(path, ".htm"))
        loadHtml(text, directoryOf(path));
    else
        run(text, path);
}

void Page::loadHtml(const std::string& html, const std::string& baseDir)
{
    struct Script {
        std::string src;
        std::string text;
    };
    std::vector<Script> scripts;
    {
        Engine& e = *m_engine;
        StackGuard guard(e.ctx);
        e.pushHelper("loadHtml");
        duk_push_lstring(e.ctx, html.data(), html.size());
        e.pcall(1);
        const duk_size_t count = duk_get_length(e.ctx, -1);
        for (duk_uarridx_t i = 0; i < count; ++i) {
            duk_get_prop_index(e.ctx, -1, i);
            duk_get_prop_string(e.ctx, -1, "src");
            duk_get_prop_string(e.ctx, -2, "text");
            scripts.push_back(Script{stringAt(e.ctx, -2), stringAt(e.ctx, -1)});
            duk_pop_3(e.ctx);
        }
    }
    // As in a browser, a failing script is reported and the next one runs.
    int inline_ = 0;
    for (const Script& script : scripts) {
        m_engine->reportFailure([&] {
            if (!script.src.empty())
                run(readFile(baseDir + "/" + script.src), script.src);
            else
                run(script.text, "inline script " + std::to_string(++inline_));
        });
    }
}

Value Page::evaluate(const std::string& source, Depth depth)
{
    Engine& e = *m_engine;
    StackGuard guard(e.ctx);
    e.pushHelper("evaluate");
    duk_push_lstring(e.ctx, source.data(), source.size());
    e.pcall(1);
    return e.toValue(-1, depth);
}

Value Page::window()
{
    Engine& e = *m_engine;
    StackGuard guard(e.ctx);
    duk_push_global_object(e.ctx);
    return Value::ref(e.hold(-1));
}

Value Page::get(const Value& object, const std::string& name, Depth depth)
{
    Engine& e = *m_engine;
    StackGuard guard(e.ctx);
    e.pushHelper("get");
    e.pushObject(object);
    duk_push_lstring(e.ctx, name.data(), name.size());
    e.pcall(2);
    return e.toValue(-1, depth);
}

void Page::set(const Value& object, const std::string& name, const Value& value)
{
    Engine& e = *m_engine;
    StackGuard guard(e.ctx);
    e.pushHelper("set");
    e.pushObject(object);
    duk_push_lstring(e.ctx, name.data(), name.size());
    e.push(value);
    e.pcall(3);
}

bool Page::remove(const Value& object, const std::string& name)
{
    Engine& e = *m_engine;
    StackGuard guard(e.ctx);
    e.pushHelper("del");
    e.pushObject(object);
    duk_push_lstring(e.ctx, name.data(), name.size());
    e.pcall(2);
    return duk_get_boolean(e.ctx, -1) != 0;
}

std::vector<std::string> Page::keys(const Value& object)
{
    Engine& e = *m_engine;
    StackGuard guard(e.ctx);
    e.pushHelper("keys");
    e.pushObject(object);
    e.pcall(1);
    std::vector<std::string> names;
    const duk_size_t count = duk_get_length(e.ctx, -1);
    for (duk_uarridx_t i = 0; i < count; ++i) {
        duk_get_prop_index(e.ctx, -1, i);
        names.push_back(stringAt(e.ctx, -1));
        duk_pop(e.ctx);
    }
    return names;
}

Value Page::call(const Value& function, const std::vector<Value>& args, const Value& self, Depth depth)
{
    Engine& e = *m_engine;
    StackGuard guard(e.ctx);
    e.pushHelper("call");
    e.pushObject(function);
    e.push(self);
    e.push(Value::array(args));
    e.pcall(3);
    return e.toValue(-1, depth);
}

Value Page::invoke(const Value& object, const std::string& method, const std::vector<Value>& args, Depth depth)
{
    Engine& e = *m_engine;
    StackGuard guard(e.ctx);
    e.pushHelper("invoke");
    e.pushObject(object);
    duk_push_lstring(e.ctx, method.data(), method.size());
    e.push(Value::array(args));
    e.pcall(3);
    return e.toValue(-1, depth);
}

Value Page::read(const Value& object)
{
    Engine& e = *m_engine;
    StackGuard guard(e.ctx);
    e.pushHelper("read");
    e.pushObject(object);
    e.pcall(1);
    duk_get_prop_string(e.ctx, -1, "array");
    const bool array = duk_get_boolean(e.ctx, -1) != 0;
    duk_get_prop_string(e.ctx, -2, "values");
    const duk_idx_t values = duk_get_top_index(e.ctx);
    const duk_size_t count = duk_get_length(e.ctx, values);
    std::vector<Value> items;
    Value::Members members;
    for (duk_uarridx_t i = 0; i < count; ++i) {
        duk_get_prop_index(e.ctx, values, i);
        if (array) {
            items.push_back(e.toValue(-1, Depth::References));
        } else {
            duk_get_prop_index(e.ctx, -1, 0);
            duk_get_prop_index(e.ctx, -2, 1);
            members.emplace_back(stringAt(e.ctx, -2), e.toValue(-1, Depth::References));
            duk_pop_2(e.ctx);
        }
        duk_pop(e.ctx);
    }
    return array ? Value::array(std::move(items)) : Value::object(std::move(members));
}

bool Page::isFunction(const Value& value)
{
    if (!value.isObjectLike())
        return false;
    Engine& e = *m_engine;
    StackGuard guard(e.ctx);
    e.pushHelper("isFunction");
    e.pushObject(value);
    e.pcall(1);
    return duk_get_boolean(e.ctx, -1) != 0;
}

void Page::release(ObjectId id)
{
    m_engine->release(id);
}

void Page::release(const Value& value)
{
    switch (value.type()) {
    case Value::Type::Ref:
        release(value.refId());
        break;
    case Value::Type::Array:
        for (const Value& item : value.items())
            release(item);
        break;
    case Value::Type::Object:
        for (const auto& member : value.members())
            release(member.second);
        break;
    default:
        break;
    }
}

Value Page::share(const Value& value)
{
    switch (value.type()) {
    case Value::Type::Ref: {
        Engine& e = *m_engine;
        StackGuard guard(e.ctx);
        e.pushHeld(value.refId());
        return Value::ref(e.hold(-1));
    }
    case Value::Type::Array: {
        std::vector<Value> items;
        for (const Value& item : value.items())
            items.push_back(share(item));
        return Value::array(std::move(items));
    }
    case Value::Type::Object: {
        Value::Members members;
        for (const auto& member : value.members())
            members.emplace_back(member.first, share(member.second));
        return Value::object(std::move(members));
    }
    default:
        return value;
    }
}

bool Page::same(const Value& left, const Value& right)
{
    if (left.is(Value::Type::Host) || right.is(Value::Type::Host))
        return left == right;
    if (!left.is(Value::Type::Ref) || !right.is(Value::Type::Ref))
        return false;
    Engine& e = *m_engine;
    StackGuard guard(e.ctx);
    e.pushHeld(left.refId());
    e.pushHeld(right.refId());
    return duk_strict_equals(e.ctx, -1, -2) != 0;
}

std::size_t Page::heldCount() const
{
    return m_engine->handles.size();
}

Page::Pending Page::newPromise()
{
    Engine& e = *m_engine;
    StackGuard guard(e.ctx);
    e.pushHelper("deferred");
    e.pcall(0);
    const ObjectId record = e.hold(-1);
    duk_get_prop_string(e.ctx, -1, "promise");
    return Pending{Value::ref(e.hold(-1)), record};
}

void Page::resolve(ObjectId id, const Value& value)
{
    Engine& e = *m_engine;
    if (!e.handles.count(id))
        return;
    StackGuard guard(e.ctx);
    e.pushHeld(id);
    e.release(id);
    duk_get_prop_string(e.ctx, -1, "resolve");
    e.push(value);
    e.pcall(1);
}

void Page::reject(ObjectId id, const std::string& message)
{
    Engine& e = *m_engine;
    if (!e.handles.count(id))
        return;
    StackGuard guard(e.ctx);
    e.pushHeld(id);
    e.release(id);
    duk_get_prop_string(e.ctx, -1, "reject");
    duk_push_error_object(e.ctx, DUK_ERR_ERROR, "%s", message.c_str());
    e.pcall(1);
}

void Page::setPluginProvider(std::shared_ptr<PluginProvider> provider)
{
    m_engine->plugins = std::move(provider);
}

void Page::post(std::function<void()> task)
{
    m_engine->loop.post(std::move(task));
}

RunResult Page::runLoop(std::size_t maxSteps)
{
    Engine& e = *m_engine;
    RunResult result;
    const auto pendingJobs = [&e]() {
        StackGuard guard(e.ctx);
        e.pushHelper("pendingJobs");
        e.pcall(0);
        return duk_get_uint(e.ctx, -1);
    };
    for (;;) {
        if (result.steps >= maxSteps) {
            result.idle = !e.loop.hasTasks() && e.loop.pendingTimers() == 0 && pendingJobs() == 0;
            return result;
        }
        {
            StackGuard guard(e.ctx);
            e.pushHelper("drainJobs");
            duk_push_uint(e.ctx, static_cast<duk_uint_t>(maxSteps - result.steps));
            e.pcall(1);
            result.steps += duk_get_uint(e.ctx, -1);
        }
        if (result.steps >= maxSteps)
            continue;
        EventLoop::Task task;
        if (e.loop.takeTask(task)) {
            ++result.steps;
            e.reportFailure(task);
            continue;
        }
        if (const ObjectId record = e.loop.takeDueTimer()) {
            ++result.steps;
            e.reportFailure([&] {
                StackGuard guard(e.ctx);
                e.pushHelper("runTimer");
                e.pushHeld(record);
                e.release(record);
                e.pcall(1);
            });
            continue;
        }
        if (pendingJobs() == 0)
            return result;
    }
}

double Page::now() const
{
    return m_engine->loop.now();
}

std::size_t Page::pendingTimers() const
{
    return m_engine->loop.pendingTimers();
}

void Page::setOutputSink(std::function<void(const OutputLine&)> sink)
{
    m_engine->sink = std::move(sink);
}

const std::vector<OutputLine>& Page::output() const
{
    return m_engine->output;
}

std::vector<std::string> Page::lines(OutputLine::Kind kind) const
{
    std::vector<std::string> texts;
    for (const OutputLine& line : m_engine->output)
        if (line.kind == kind)
            texts.push_back(line.text);
    return texts;
}

}  // namespace page
