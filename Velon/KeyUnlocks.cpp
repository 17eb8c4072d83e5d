#include "Velon/KeyUnlocks.h"

#include <dravik/dravik.h>

#include <cctype>
#include <map>

#include "Velon/ApiLog.h"
#include "Velon/VelonAPI.h"

namespace velon {
namespace KeyUnlocks {
namespace {

// "path:" and the path, or "token:" and the token -> the site that holds it.
std::map<std::string, std::string>& holders()
{
    static std::map<std::string, std::string> sites;
    return sites;
}

bool is_separator(char c)
{
    return c == '\\' || c == '/';
}

}  // namespace

std::string token_of(const std::string& path)
{
    if (!VelonAPI::isToken_static(path))
        return std::string();
    std::string::size_type end = path.find(':') + 1;
    std::string prefix = path.substr(0, 6);
    for (char& c : prefix)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (prefix == "pkcs11") {
        std::string::size_type start = end;
        while (start < path.size() && is_separator(path[start]))
            ++start;
        if (start < path.size()) {
            end = start;
            while (end < path.size() && !is_separator(path[end]))
                ++end;
        }
    }
    return path.substr(0, end);
}

int claim(const std::string& site, const std::string& path)
{
    const std::string token = token_of(path);
    std::string& holder = holders()[token.empty() ? "path:" + path : "token:" + token];
    int result = 0;
    if (!holder.empty() && holder != site) {
        VELON_INFO("velon::KeyUnlocks::claim",
                   "unlocked for another site, forgotten before this site uses it: " + path);
        if (token.empty())
            result = ClearPrivateKeysAt(path.c_str());
        else
            LogoutToken(token.c_str());  // 0 only for a token the library does not know: nothing to forget
    }
    if (result == 0)
        holder = site;
    return result;
}

}  // namespace KeyUnlocks
}  // namespace velon
