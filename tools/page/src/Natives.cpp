// The native functions the environment script is given: output, timers and
// the clock, plug-ins and the host-object test.

#include <stdexcept>

#include "Engine.h"

namespace page {

namespace {

duk_ret_t nativeWrite(duk_context* ctx)  // (kind, text)
{
    return guarded(ctx, [&]() -> duk_ret_t {
        const int kind = duk_get_int(ctx, 0);
        duk_size_t length = 0;
        const char* text = duk_get_lstring(ctx, 1, &length);
        const OutputLine::Kind kinds[] = {OutputLine::Kind::Log, OutputLine::Kind::Alert, OutputLine::Kind::Error};
        Page::Engine::of(ctx).write(kinds[kind >= 0 && kind <= 2 ? kind : 0],
                                    text ? std::string(text, length) : std::string());
        return 0;
    });
}

duk_ret_t nativeAddTimer(duk_context* ctx)  // (record, delay)
{
    return guarded(ctx, [&]() -> duk_ret_t {
        Page::Engine& engine = Page::Engine::of(ctx);
        const ObjectId record = engine.hold(0);
        duk_push_uint(ctx, engine.loop.addTimer(duk_get_number(ctx, 1), record));
        return 1;
    });
}

duk_ret_t nativeClearTimer(duk_context* ctx)  // (id)
{
    return guarded(ctx, [&]() -> duk_ret_t {
        Page::Engine& engine = Page::Engine::of(ctx);
        if (const ObjectId record = engine.loop.clearTimer(duk_get_uint(ctx, 0)))
            engine.release(record);
        return 0;
    });
}

PluginProvider& provider(Page::Engine& engine, const std::string& what)
{
    if (!engine.plugins)
        throw std::runtime_error("No plug-in handles " + what);
    return *engine.plugins;
}

duk_ret_t nativeCreatePlugin(duk_context* ctx)  // (mimeType, params)
{
    return guarded(ctx, [&]() -> duk_ret_t {
        Page::Engine& engine = Page::Engine::of(ctx);
        const std::string mimeType = duk_get_string(ctx, 0) ? duk_get_string(ctx, 0) : "";
        const Value params = engine.toValue(1, Depth::Values);
        engine.push(provider(engine, "the MIME type " + mimeType).create(mimeType, params));
        return 1;
    });
}

duk_ret_t nativeDestroyPlugin(duk_context* ctx)  // (plugin)
{
    return guarded(ctx, [&]() -> duk_ret_t {
        Page::Engine& engine = Page::Engine::of(ctx);
        provider(engine, "this object").destroy(engine.toValue(0, Depth::References));
        return 0;
    });
}

duk_ret_t nativeIsHost(duk_context* ctx)  // (value)
{
    return guarded(ctx, [&]() -> duk_ret_t {
        duk_push_boolean(ctx, Page::Engine::of(ctx).hostObjectAt(0) != nullptr);
        return 1;
    });
}

duk_ret_t nativeNow(duk_context* ctx)
{
    duk_push_number(ctx, Page::Engine::of(ctx).loop.now());
    return 1;
}

struct Native {
    const char* name;
    duk_c_function function;
    duk_idx_t nargs;
};

const Native kNatives[] = {
    {"write", nativeWrite, 2},
    {"addTimer", nativeAddTimer, 2},
    {"clearTimer", nativeClearTimer, 1},
    {"createPlugin", nativeCreatePlugin, 2},
    {"destroyPlugin", nativeDestroyPlugin, 1},
    {"isHost", nativeIsHost, 1},
    {"now", nativeNow, 0},
};

}  // namespace

void pushNatives(duk_context* ctx)
{
    duk_push_bare_object(ctx);
    for (const Native& native : kNatives) {
        duk_push_c_function(ctx, native.function, native.nargs);
        duk_put_prop_string(ctx, -2, native.name);
    }
}

}  // namespace page
