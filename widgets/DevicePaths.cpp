#include "widgets/DevicePaths.h"

#include <cwchar>
#include <utility>

const wchar_t* const fileSystemRoot = L"/";

namespace {

bool beginsWith(const std::wstring& text, const std::wstring& start) {
    return text.compare(0, start.size(), start) == 0;
}

}  // namespace

int deviceKindFromName(std::wstring name) {
    static const std::pair<const wchar_t*, int> kinds[] = {
        {L"ibutton:", deviceIButton},
        {L"etoken", deviceEToken},
        {L"rutoken", deviceRuToken},
        {L"pkcs11", devicePkcs11},
    };
    for (const auto& kind : kinds)
        if (beginsWith(name, kind.first)) return kind.second;
    return deviceFileSystem;
}

const DeviceEntry* findDeviceByPath(const std::string& path) {
    if (deviceTable.empty()) return nullptr;
    if (path.size() <= 3) return &deviceTable[0];
    for (std::size_t row = 1; row < deviceTable.size(); ++row)
        if (path == deviceTable[row].devicePath) return &deviceTable[row];
    return nullptr;
}

bool isDeviceRow(const DeviceEntry* row) {
    return row && !deviceTable.empty() && row >= deviceTable.data() && row < deviceTable.data() + deviceTable.size();
}

std::wstring devicePartOf(const std::wstring& path, bool* unknownModule) {
    if (unknownModule) *unknownModule = false;
    std::size_t colon = path.find(L':');
    if (colon == std::wstring::npos) return std::wstring();
    std::wstring prefix = path.substr(0, colon + 1);
    if (prefix.size() < 3 || !beginsWith(prefix, L"pkcs11")) return prefix;
    for (const wchar_t* module : {L"eTPKCS11g", L"rtPKCS11ECP", L"mskey-pkcs11", L"smarttoken"}) {
        std::size_t at = path.find(module);
        if (at != std::wstring::npos) return path.substr(0, at + std::wcslen(module));
    }
    if (unknownModule) *unknownModule = true;
    return prefix;
}
