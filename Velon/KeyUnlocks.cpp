#include "Velon/KeyUnlocks.h"

#include <dravik/dravik.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string_view>

#include "Velon/ApiLog.h"
#include "Velon/VelonAPI.h"

namespace velon {
namespace KeyUnlocks {
namespace {

constexpr std::string_view kPathRecord = "path:";
constexpr std::string_view kTokenRecord = "token:";

struct Holder {
    std::string site;
    unsigned long long claimed;  // when, on the record's own count of claims
};

// "path:" and the path, or "token:" and the token -> the site that holds it.
std::map<std::string, Holder>& holders()
{
    static std::map<std::string, Holder> sites;
    return sites;
}

unsigned long long claims = 0;

// Has the library forget what it keeps for a record: the keys and password
// of a path, or the login of a token.
int forget(const std::string& record)
{
    if (record.compare(0, kTokenRecord.size(), kTokenRecord) == 0) {
        // 0 only for a token the library does not know: nothing to forget.
        LogoutToken(record.c_str() + kTokenRecord.size());
        return 0;
    }
    return ClearPrivateKeysAt(record.c_str() + kPathRecord.size());
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
    const std::string record = token.empty() ? std::string(kPathRecord) + path : std::string(kTokenRecord) + token;
    auto found = holders().find(record);
    if (found == holders().end()) {
        if (holders().size() >= kMostRecorded) {
            const auto oldest =
                std::min_element(holders().begin(), holders().end(), [](const auto& a, const auto& b) {
                    return a.second.claimed < b.second.claimed;
                });
            // Dropped while the library still kept it, it would be the next
            // site's without asking.
            VELON_INFO("velon::KeyUnlocks::claim", "too many recorded, forgotten: " + oldest->first);
            const int result = forget(oldest->first);
            if (result != 0)
                return result;
            holders().erase(oldest);
        }
        holders().emplace(record, Holder{site, ++claims});
        return 0;
    }
    Holder& holder = found->second;
    if (holder.site != site) {
        VELON_INFO("velon::KeyUnlocks::claim",
                   "unlocked for another site, forgotten before this site uses it: " + path);
        const int result = forget(record);
        if (result != 0)
            return result;
    }
    holder.site = site;
    holder.claimed = ++claims;
    return 0;
}

std::size_t recorded()
{
    return holders().size();
}

}  // namespace KeyUnlocks
}  // namespace velon
