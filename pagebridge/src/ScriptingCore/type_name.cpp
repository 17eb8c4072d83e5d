#include "ScriptingCore/type_name.h"

#include <cxxabi.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <typeindex>

namespace PB {
namespace {

// Library types whose spelled-out template names would drown the message.
const std::map<std::string, std::string>& aliases()
{
    static const std::map<std::string, std::string> table = {
        {"std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >", "std::string"},
        {"std::__cxx11::basic_string<wchar_t, std::char_traits<wchar_t>, std::allocator<wchar_t> >",
         "std::wstring"},
        {"std::vector<PB::variant, std::allocator<PB::variant> >", "PB::VariantList"},
        {"std::map<std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >, "
         "PB::variant, std::less<std::__cxx11::basic_string<char, std::char_traits<char>, "
         "std::allocator<char> > >, std::allocator<std::pair<std::__cxx11::basic_string<char, "
         "std::char_traits<char>, std::allocator<char> > const, PB::variant> > >",
         "PB::VariantMap"},
    };
    return table;
}

std::string demangle(const char* mangled)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> plain(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                 std::free);
    std::string name = (status == 0 && plain) ? plain.get() : mangled;
    auto alias = aliases().find(name);
    return alias == aliases().end() ? name : alias->second;
}

}  // namespace

const char* type_name(const std::type_info& type)
{
    // Names are kept for the life of the process so that exceptions can carry
    // bare pointers to them; the cache is never trimmed.
    static std::mutex lock;
    static auto* names = new std::map<std::type_index, std::string>();
    std::lock_guard<std::mutex> guard(lock);
    auto found = names->find(type);
    if (found == names->end())
        found = names->emplace(type, demangle(type.name())).first;
    return found->second.c_str();
}

}  // namespace PB
