// Shows how values arriving from a page are read by the plug-in. The hosts
// that load the whole module come later; until then this is the demo.

#include <iostream>
#include <string>

#include "ScriptingCore/variant.h"

namespace {

template <typename T>
void show(const char* what, const PB::variant& value)
{
    std::cout << "  " << what << " -> ";
    try {
        std::cout << PB::variant(value.convert_cast<T>()).convert_cast<std::string>() << "\n";
    } catch (const PB::bad_variant_cast& e) {
        std::cout << "error: cannot convert " << e.from << " to " << e.to << "\n";
    }
}

}  // namespace

int main()
{
    std::cout << "npVelon demo: no host adapter is built yet, so this shows the value\n"
                 "conversions every page call goes through.\n\n";
    show<int>("int from \" 42xyz\"", PB::variant(" 42xyz"));
    show<int>("int from 2147483648.0", PB::variant(2147483648.0));
    show<unsigned int>("unsigned int from -0.5", PB::variant(-0.5));
    show<bool>("bool from \"Yes\"", PB::variant("Yes"));
    show<bool>("bool from 0.4", PB::variant(0.4));
    show<std::string>("string from 3.14159265", PB::variant(3.14159265));
    show<std::wstring>("wide string from a long long", PB::variant(5LL));
    try {
        PB::variant(1).cast<long>();
    } catch (const PB::bad_variant_cast& e) {
        std::cout << "  strict read of int as long -> " << e.what() << " (" << e.from << " to " << e.to << ")\n";
    }
    return 0;
}
