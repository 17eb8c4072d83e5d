// The cost of what every page call goes through: reading arguments out of
// variants and invoking a registered method.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "ScriptingCore/JSAPIAuto.h"

namespace {

void ConvertStringToInt(benchmark::State& state)
{
    const PB::variant value(" 12345");
    for (auto _ : state)
        benchmark::DoNotOptimize(value.convert_cast<int>());
}
BENCHMARK(ConvertStringToInt);

void ConvertDoubleToString(benchmark::State& state)
{
    const PB::variant value(3.14159265);
    for (auto _ : state)
        benchmark::DoNotOptimize(value.convert_cast<std::string>());
}
BENCHMARK(ConvertDoubleToString);

class Api : public PB::JSAPIAuto {
public:
    Api() { registerMethod("sign", PB::make_method(this, &Api::sign)); }
    std::string sign(std::string content, std::string, std::string, bool) { return content; }
};

void InvokeFourArgumentMethod(benchmark::State& state)
{
    auto api = std::make_shared<Api>();
    const PB::VariantList args{"text to sign", "file system:", "key", true};
    for (auto _ : state)
        benchmark::DoNotOptimize(api->invoke("sign", args));
}
BENCHMARK(InvokeFourArgumentMethod);

}  // namespace
