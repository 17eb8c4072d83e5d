// Host objects in script: each wrapper is a Proxy over a target of its own
// (a function when the object is callable), with one shared handler whose
// traps find the host object through an id on the target. The id is a hidden
// symbol, which duktape reads without running traps; the target's finalizer
// lets the wrapper's reference go.

#include <stdexcept>

#include "Engine.h"

namespace page {

namespace {

const char* const kHostId = "\xFF" "pageHostId";

// The host object behind a trap's target (argument 0).
std::shared_ptr<HostObject> targetObject(Page::Engine& engine, duk_context* ctx)
{
    duk_get_prop_string(ctx, 0, kHostId);
    const bool found = duk_is_number(ctx, -1) != 0;
    const auto id = static_cast<std::uint64_t>(duk_get_number(ctx, -1));
    duk_pop(ctx);
    if (!found)
        return nullptr;
    auto entry = engine.hostObjects.find(id);
    if (entry == engine.hostObjects.end())
        throw std::logic_error("The host object is gone");
    return entry->second;
}

// A property key that names a member: a string, not a symbol.
bool memberKey(duk_context* ctx, duk_idx_t index, std::string& name)
{
    if (!duk_is_string(ctx, index) || duk_is_symbol(ctx, index))
        return false;
    duk_size_t length = 0;
    const char* text = duk_get_lstring(ctx, index, &length);
    name.assign(text, length);
    return true;
}

duk_ret_t trapGet(duk_context* ctx)  // (target, key, receiver)
{
    return guarded(ctx, [&]() -> duk_ret_t {
        Page::Engine& engine = Page::Engine::of(ctx);
        std::shared_ptr<HostObject> object = targetObject(engine, ctx);
        std::string name;
        if (!object || !memberKey(ctx, 1, name)) {
            duk_push_undefined(ctx);
            return 1;
        }
        engine.push(object->get(name));
        return 1;
    });
}

duk_ret_t trapSet(duk_context* ctx)  // (target, key, value, receiver)
{
    return guarded(ctx, [&]() -> duk_ret_t {
        Page::Engine& engine = Page::Engine::of(ctx);
        std::shared_ptr<HostObject> object = targetObject(engine, ctx);
        std::string name;
        if (!object || !memberKey(ctx, 1, name))
            throw std::runtime_error("Only named members can be set on a host object");
        object->set(name, engine.toValue(2, Depth::References));
        duk_push_true(ctx);
        return 1;
    });
}

duk_ret_t trapHas(duk_context* ctx)  // (target, key)
{
    return guarded(ctx, [&]() -> duk_ret_t {
        Page::Engine& engine = Page::Engine::of(ctx);
        std::shared_ptr<HostObject> object = targetObject(engine, ctx);
        std::string name;
        duk_push_boolean(ctx, object && memberKey(ctx, 1, name) && object->has(name));
        return 1;
    });
}

duk_ret_t trapDelete(duk_context* ctx)  // (target, key)
{
    return guarded(ctx, [&]() -> duk_ret_t {
        Page::Engine& engine = Page::Engine::of(ctx);
        std::shared_ptr<HostObject> object = targetObject(engine, ctx);
        std::string name;
        duk_push_boolean(ctx, object && memberKey(ctx, 1, name) && object->remove(name));
        return 1;
    });
}

duk_ret_t trapOwnKeys(duk_context* ctx)  // (target)
{
    return guarded(ctx, [&]() -> duk_ret_t {
        Page::Engine& engine = Page::Engine::of(ctx);
        std::shared_ptr<HostObject> object = targetObject(engine, ctx);
        const std::vector<std::string> names = object ? object->keys() : std::vector<std::string>();
        const duk_idx_t array = duk_push_array(ctx);
        duk_uarridx_t index = 0;
        for (const std::string& name : names) {
            // for-in and Object.keys ask the target whether a key is
            // enumerable: the target gets a placeholder for each name it
            // does not have as its own.
            duk_push_lstring(ctx, name.data(), name.size());
            duk_get_prop_desc(ctx, 0, 0);
            const bool own = !duk_is_undefined(ctx, -1);
            duk_pop(ctx);
            if (!own) {
                duk_push_lstring(ctx, name.data(), name.size());
                duk_push_undefined(ctx);
                duk_def_prop(ctx, 0, DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_SET_WEC);
            }
            duk_push_lstring(ctx, name.data(), name.size());
            duk_put_prop_index(ctx, array, index++);
        }
        return 1;
    });
}

duk_ret_t trapApply(duk_context* ctx)  // (target, this, arguments)
{
    return guarded(ctx, [&]() -> duk_ret_t {
        Page::Engine& engine = Page::Engine::of(ctx);
        std::shared_ptr<HostObject> object = targetObject(engine, ctx);
        if (!object)
            throw std::logic_error("The host object is gone");
        std::vector<Value> args;
        const duk_size_t count = duk_get_length(ctx, 2);
        for (duk_uarridx_t i = 0; i < count; ++i) {
            duk_get_prop_index(ctx, 2, i);
            args.push_back(engine.toValue(-1, Depth::References));
            duk_pop(ctx);
        }
        engine.push(object->call(args));
        return 1;
    });
}

// The target of a callable wrapper; the apply trap answers every call.
duk_ret_t callableTarget(duk_context*)
{
    return 0;
}

duk_ret_t finalizeTarget(duk_context* ctx)  // (object, heapDestruct)
{
    return guarded(ctx, [&]() -> duk_ret_t {
        duk_get_prop_string(ctx, 0, kHostId);
        if (duk_is_number(ctx, -1))
            Page::Engine::of(ctx).forgetHostObject(static_cast<std::uint64_t>(duk_get_number(ctx, -1)));
        return 0;
    });
}

struct Trap {
    const char* name;
    duk_c_function function;
    duk_idx_t nargs;
};

const Trap kTraps[] = {
    {"get", trapGet, 3},         {"set", trapSet, 4},         {"has", trapHas, 2},
    {"deleteProperty", trapDelete, 2}, {"ownKeys", trapOwnKeys, 1}, {"apply", trapApply, 3},
};

}  // namespace

void installHostHandler(duk_context* ctx)
{
    duk_push_global_stash(ctx);
    duk_push_bare_object(ctx);
    for (const Trap& trap : kTraps) {
        duk_push_c_function(ctx, trap.function, trap.nargs);
        duk_put_prop_string(ctx, -2, trap.name);
    }
    duk_put_prop_string(ctx, -2, "hostHandler");
    duk_pop(ctx);
}

void Page::Engine::pushHostObject(const std::shared_ptr<HostObject>& object)
{
    const std::uint64_t id = nextHostId++;
    hostObjects[id] = object;
    if (object->callable())
        duk_push_c_function(ctx, callableTarget, DUK_VARARGS);
    else
        duk_push_object(ctx);
    duk_push_number(ctx, static_cast<double>(id));
    duk_put_prop_string(ctx, -2, kHostId);
    duk_push_c_function(ctx, finalizeTarget, 2);
    duk_set_finalizer(ctx, -2);
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, "hostHandler");
    duk_remove(ctx, -2);
    duk_push_proxy(ctx, 0);
    duk_push_number(ctx, static_cast<double>(id));
    duk_put_prop_string(ctx, -2, kHostId);
}

std::shared_ptr<HostObject> Page::Engine::hostObjectAt(duk_idx_t index)
{
    if (!duk_is_object(ctx, index))
        return nullptr;
    duk_get_prop_string(ctx, index, kHostId);
    const bool tagged = duk_is_number(ctx, -1) != 0;
    const auto id = static_cast<std::uint64_t>(duk_get_number(ctx, -1));
    duk_pop(ctx);
    if (!tagged)
        return nullptr;
    auto entry = hostObjects.find(id);
    return entry == hostObjects.end() ? nullptr : entry->second;
}

void Page::Engine::forgetHostObject(std::uint64_t id)
{
    if (destroying)
        return;
    // Taken out first: the host object's destructor may call into the page.
    std::shared_ptr<HostObject> object;
    auto entry = hostObjects.find(id);
    if (entry == hostObjects.end())
        return;
    object.swap(entry->second);
    hostObjects.erase(entry);
}

}  // namespace page
