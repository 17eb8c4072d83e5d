#include "Engine.h"

#include <cstdlib>
#include <stdexcept>

namespace page {

namespace {

// duktape's last resort (an error with nowhere to go): there is no way on.
void fatal(void*, const char* message)
{
    std::fprintf(stderr, "page engine: fatal error: %s\n", message ? message : "(none)");
    std::abort();
}

const int kMaxDepth = 64;

// Pushes the stash member (one of the engine's own plain objects).
void pushStashMember(duk_context* ctx, const char* name)
{
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, name);
    duk_remove(ctx, -2);
}

}  // namespace

Page::Engine::Engine(const std::string& url)
{
    ctx = duk_create_heap(nullptr, nullptr, nullptr, this, &fatal);
    if (!ctx)
        throw std::runtime_error("The script heap could not be made");
    try {
        duk_push_global_stash(ctx);
        duk_push_bare_object(ctx);
        duk_put_prop_string(ctx, -2, "handles");
        duk_pop(ctx);
        installHostHandler(ctx);

        StackGuard guard(ctx);
        if (duk_peval_string(ctx, environmentScript) != DUK_EXEC_SUCCESS)
            throw ScriptError("environment: " + errorText(-1));
        duk_push_global_object(ctx);
        pushNatives(ctx);
        duk_push_lstring(ctx, url.data(), url.size());
        pcall(3);
        duk_push_global_stash(ctx);
        duk_dup(ctx, -2);
        duk_put_prop_string(ctx, -2, "helpers");
        duk_pop_2(ctx);

        if (duk_peval_string(ctx, promiseScript) != DUK_EXEC_SUCCESS)
            throw ScriptError("promise: " + errorText(-1));
        duk_push_global_object(ctx);
        pushHelper("enqueueJob");
        pushHelper("onUnhandled");
        pushHelper("onHandled");
        pcall(4);
    } catch (...) {
        duk_destroy_heap(ctx);
        throw;
    }
}

Page::Engine::~Engine()
{
    // Finalizers that run while the heap goes keep the host objects; they
    // are let go below, once no script can reach them.
    destroying = true;
    duk_destroy_heap(ctx);
    ctx = nullptr;
    hostObjects.clear();
}

Page::Engine& Page::Engine::of(duk_context* ctx)
{
    duk_memory_functions functions;
    duk_get_memory_functions(ctx, &functions);
    return *static_cast<Engine*>(functions.udata);
}

void Page::Engine::pushHelper(const char* name)
{
    pushStashMember(ctx, "helpers");
    duk_get_prop_string(ctx, -1, name);
    duk_remove(ctx, -2);
}

void Page::Engine::pcall(duk_idx_t nargs)
{
    if (duk_pcall(ctx, nargs) == DUK_EXEC_SUCCESS)
        return;
    std::string text = errorText(-1);
    duk_pop(ctx);
    throw ScriptError(text);
}

std::string Page::Engine::errorText(duk_idx_t index)
{
    duk_size_t length = 0;
    const char* text = duk_safe_to_lstring(ctx, index, &length);
    return std::string(text, length);
}

ObjectId Page::Engine::hold(duk_idx_t index)
{
    index = duk_normalize_index(ctx, index);
    ObjectId id = nextHandle++;
    while (id == 0 || handles.count(id))
        id = nextHandle++;
    pushStashMember(ctx, "handles");
    duk_dup(ctx, index);
    duk_put_prop_index(ctx, -2, id);
    duk_pop(ctx);
    handles.insert(id);
    return id;
}

void Page::Engine::pushHeld(ObjectId id)
{
    if (!handles.count(id))
        throw std::invalid_argument("Unknown page object reference " + std::to_string(id));
    pushStashMember(ctx, "handles");
    duk_get_prop_index(ctx, -1, id);
    duk_remove(ctx, -2);
}

void Page::Engine::release(ObjectId id)
{
    if (!handles.erase(id))
        return;
    pushStashMember(ctx, "handles");
    duk_del_prop_index(ctx, -1, id);
    duk_pop(ctx);
}

void Page::Engine::push(const Value& value)
{
    reserve();
    switch (value.type()) {
    case Value::Type::Undefined:
        duk_push_undefined(ctx);
        break;
    case Value::Type::Null:
        duk_push_null(ctx);
        break;
    case Value::Type::Boolean:
        duk_push_boolean(ctx, value.asBoolean());
        break;
    case Value::Type::Number:
        duk_push_number(ctx, value.asNumber());
        break;
    case Value::Type::String:
        duk_push_lstring(ctx, value.asString().data(), value.asString().size());
        break;
    case Value::Type::Array: {
        // On a failure part way, the caller's guard drops what was pushed.
        const duk_idx_t array = duk_push_array(ctx);
        duk_uarridx_t index = 0;
        for (const Value& item : value.items()) {
            push(item);
            duk_put_prop_index(ctx, array, index++);
        }
        break;
    }
    case Value::Type::Object: {
        const duk_idx_t object = duk_push_object(ctx);
        for (const auto& member : value.members()) {
            duk_push_lstring(ctx, member.first.data(), member.first.size());
            push(member.second);
            // Defined, not assigned: a member named __proto__ stays a member.
            duk_def_prop(ctx, object, DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_SET_WEC);
        }
        break;
    }
    case Value::Type::Ref:
        pushHeld(value.refId());
        break;
    case Value::Type::Host:
        pushHostObject(value.hostObject());
        break;
    }
}

void Page::Engine::reserve()
{
    // Room for one level of a value; nested values ask again.
    if (!duk_check_stack(ctx, 8))
        throw std::runtime_error("The value is too large for the script stack");
}

void Page::Engine::pushObject(const Value& object)
{
    if (!object.isObjectLike())
        throw std::invalid_argument("Not a page object: " + object.describe());
    push(object);
}

Value Page::Engine::toValue(duk_idx_t index, Depth depth, int level)
{
    reserve();
    index = duk_normalize_index(ctx, index);
    switch (duk_get_type(ctx, index)) {
    case DUK_TYPE_NULL:
        return Value::null();
    case DUK_TYPE_BOOLEAN:
        return Value::boolean(duk_get_boolean(ctx, index) != 0);
    case DUK_TYPE_NUMBER:
        return Value::number(duk_get_number(ctx, index));
    case DUK_TYPE_STRING: {
        if (duk_is_symbol(ctx, index))
            return Value();
        duk_size_t length = 0;
        const char* text = duk_get_lstring(ctx, index, &length);
        return Value::string(std::string(text, length));
    }
    case DUK_TYPE_OBJECT:
    case DUK_TYPE_LIGHTFUNC:
    case DUK_TYPE_BUFFER:
        break;
    default:
        return Value();
    }
    if (std::shared_ptr<HostObject> host = hostObjectAt(index))
        return Value::host(host);
    if (depth == Depth::References)
        return Value::ref(hold(index));
    if (level >= kMaxDepth)
        throw std::runtime_error("The value is nested too deeply (or refers to itself)");

    StackGuard guard(ctx);
    pushHelper("shape");
    duk_dup(ctx, index);
    pcall(1);
    const std::string shape = duk_get_string(ctx, -1) ? duk_get_string(ctx, -1) : "";
    if (shape == "array") {
        pushHelper("elements");
        duk_dup(ctx, index);
        pcall(1);
        const duk_idx_t elements = duk_get_top_index(ctx);
        std::vector<Value> items;
        const duk_size_t count = duk_get_length(ctx, elements);
        for (duk_uarridx_t i = 0; i < count; ++i) {
            duk_get_prop_index(ctx, elements, i);
            items.push_back(toValue(-1, depth, level + 1));
            duk_pop(ctx);
        }
        return Value::array(std::move(items));
    }
    if (shape == "plain") {
        pushHelper("entries");
        duk_dup(ctx, index);
        pcall(1);
        const duk_idx_t entries = duk_get_top_index(ctx);
        Value::Members members;
        const duk_size_t count = duk_get_length(ctx, entries);
        for (duk_uarridx_t i = 0; i < count; ++i) {
            duk_get_prop_index(ctx, entries, i);
            duk_get_prop_index(ctx, -1, 0);
            std::string name = duk_get_string(ctx, -1) ? duk_get_string(ctx, -1) : "";
            duk_get_prop_index(ctx, -2, 1);
            members.emplace_back(std::move(name), toValue(-1, depth, level + 1));
            duk_pop_3(ctx);
        }
        return Value::object(std::move(members));
    }
    return Value::ref(hold(index));
}

void Page::Engine::write(OutputLine::Kind kind, const std::string& text)
{
    output.push_back(OutputLine{kind, text});
    if (sink)
        sink(output.back());
}

void Page::Engine::reportFailure(const std::function<void()>& work)
{
    try {
        work();
    } catch (const std::exception& e) {
        write(OutputLine::Kind::Error, std::string("Uncaught ") + e.what());
    }
}

void Page::Engine::runSource(const std::string& source, const std::string& name)
{
    StackGuard guard(ctx);
    duk_push_lstring(ctx, source.data(), source.size());
    duk_push_lstring(ctx, name.data(), name.size());
    if (duk_pcompile(ctx, 0) != DUK_EXEC_SUCCESS)
        throw ScriptError(errorText(-1));
    pcall(0);
}

}  // namespace page
