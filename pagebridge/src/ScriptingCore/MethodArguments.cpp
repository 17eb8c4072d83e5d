#include "ScriptingCore/MethodArguments.h"

#include <sstream>

namespace PB {
namespace detail {
namespace methods {

void throwNotOptional(std::size_t position)
{
    std::ostringstream text;
    text << "Error: Argument " << position << " is not optional.";
    throw invalid_arguments(text.str());
}

void throwTooMany(std::size_t expected)
{
    std::ostringstream text;
    text << "Too many arguments, expected " << expected << ".";
    throw invalid_arguments(text.str());
}

void throwConversion(const bad_variant_cast& e, std::size_t position)
{
    std::ostringstream text;
    text << "Invalid argument conversion " << "from " << e.from << " to " << e.to << " at index " << position;
    throw invalid_arguments(text.str());
}

Promise<variant> argumentAsPromise(const VariantList& args, std::size_t position)
{
    return Promise<variant>(position <= args.size() ? args[position - 1] : variant());
}

}  // namespace methods
}  // namespace detail
}  // namespace PB
