#include "ScriptingCore/PromiseJoin.h"

#include <cstdint>
#include <memory>

namespace PB {
namespace {

struct whenData {
    std::vector<variant> results;
    std::uint32_t resolvedCount = 0;
    std::uint32_t expectedCount = 0;
};

void chainInto(const Promise<variant>& returned, const Deferred<variant>& joined)
{
    returned.done([joined](variant value) { joined.resolve(std::move(value)); },
                  [joined](std::exception_ptr error) { joined.reject(error); });
}

}  // namespace

Promise<variant> callWhenAllResolved(std::vector<Promise<variant>> promises,
                                     std::function<Promise<variant>(std::vector<variant>)> f)
{
    Deferred<variant> joined;
    auto data = std::make_shared<whenData>();
    data->results.resize(promises.size());
    data->expectedCount = static_cast<std::uint32_t>(promises.size());

    for (std::size_t i = 0; i < promises.size(); ++i) {
        promises[i].done([i, data, f, joined](variant value) {
            data->results[i] = std::move(value);
            if (++data->resolvedCount < data->expectedCount)
                return;
            try {
                chainInto(f(data->results), joined);
            } catch (const std::exception&) {
                joined.reject(std::current_exception());
            }
        });
        promises[i].fail([joined](std::exception_ptr error) { joined.reject(error); });
    }
    if (promises.empty())
        chainInto(f(std::vector<variant>()), joined);
    return joined.promise();
}

}  // namespace PB
