// Key-pair generation and its options: the algorithm, parameter set, key
// length and key file of the generations that follow, and a key pair made in
// a container together with its certificate request.
#include "Velon/VelonAPI.h"

#include <boost/filesystem/path.hpp>

#include <climits>
#include <cstdio>
#include <stdexcept>

#include "Velon/ApiLog.h"
#include "Velon/ScopedLibraryFlags.h"
#include "Velon/TemporaryFile.h"

namespace {

// Requests for keys on SmartToken devices are built with this flag.
constexpr std::uint32_t kSmartTokenRequestFlag = 0x40;
// RSA keys sign and encrypt; GOST keys also agree keys.
constexpr std::uint32_t kRsaKeyUsage = DRAVIK_KEY_USAGE_DIGITAL_SIGNATURE | DRAVIK_KEY_USAGE_NON_REPUDIATION |
                                       DRAVIK_KEY_USAGE_KEY_ENCIPHERMENT | DRAVIK_KEY_USAGE_DATA_ENCIPHERMENT;
constexpr std::uint32_t kGostKeyUsage = kRsaKeyUsage | DRAVIK_KEY_USAGE_KEY_AGREEMENT;
const char* const kDefaultParamSet = "GOST3410-2012-256-XchA-ParamSet";

struct ParamSet {
    const char* given;  // as the page names it
    const char* name;   // as the library names it
};

const ParamSet kGost256[] = {
    {"A", "GOST3410-2012-256-A-ParamSet"},    {"B", "GOST3410-2012-256-B-ParamSet"},
    {"C", "GOST3410-2012-256-C-ParamSet"},    {"", kDefaultParamSet},
    {"XchA", kDefaultParamSet},               {"XchB", "GOST3410-2012-256-XchB-ParamSet"},
    {"TC26-A", "TC26-GOST3410-2012-256-A-ParamSet"},
};
const ParamSet kGost512[] = {
    {"", "GOST3410-2012-512-A-ParamSet"},
    {"A", "GOST3410-2012-512-A-ParamSet"},
    {"B", "GOST3410-2012-512-B-ParamSet"},
    {"C", "GOST3410-2012-512-C-ParamSet"},
};

// The library's name of a set; empty for a set the algorithm does not have.
template <std::size_t N>
std::string param_set_name(const ParamSet (&sets)[N], const std::string& given)
{
    for (const ParamSet& set : sets)
        if (given == set.given)
            return set.name;
    return std::string();
}

// A length the page wrote badly is no length at all.
int parse_length(const std::string& text)
{
    try {
        return std::stoi(text, nullptr, 10);
    } catch (const std::exception&) {
        return 0;
    }
}

// The first of <container>\keys\rsa00000001.key, ...2.key, ... not taken yet.
std::string next_rsa_key_file(const std::string& container, const char* function)
{
    for (int i = 1; i < INT_MAX; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "rsa%08d.key", i);
        const std::string candidate = container + "\\keys\\" + name;
        if (FileExists(candidate.c_str()) == 0)
            return candidate;
    }
    VelonAPI::fail_with_library(function, "FileExists", DRAVIK_E_FILE_EXISTS);
}

}  // namespace

int VelonAPI::setKeyGenOptions(std::string algorithm, std::string paramSet, std::string keyLength, std::string keyFile)
{
    const char* const function = "VelonAPI::setKeyGenOptions";
    VELON_TRACE(function, "VelonAPI::setKeyGenOptions(" + algorithm + ", " + paramSet + ", " + keyLength + ", " +
                              keyFile + ")");
    check_initPlugin("setKeyGenOptions");

    std::string name;
    int length = parse_length(keyLength);
    // GOST keys take the size of their algorithm, whatever length was given.
    if (algorithm == "GOST3410-2012-256" || algorithm.empty()) {
        name = param_set_name(kGost256, paramSet);
        length = 256;
    } else if (algorithm == "GOST3410-2012-512") {
        name = param_set_name(kGost512, paramSet);
        length = 512;
    } else if (algorithm == "RSA") {
        name = "RSA";
        if (length <= 0)
            length = 2048;
    }

    keygen_key_file = keyFile;
    if (!name.empty())
        keygen_param_set = name;
    int result = SetNewKeysAlgorithm(name.c_str());
    if (result != 0)
        fail_with_library(function, "SetNewKeysAlgorithm", result);
    if (length > 0) {
        result = SetKeysLength(length);
        if (result != 0)
            fail_with_library(function, "SetKeysLength", result);
    }
    return 0;
}

std::string VelonAPI::generateKeyPair(std::string psePath, bool emptyPassword)
{
    const char* const function = "VelonAPI::generateKeyPair";
    VELON_TRACE(function, "VelonAPI::generateKeyPair(" + psePath + ", " + flag_text(emptyPassword) + ")");
    check_initPlugin("generateKeyPair");

    // Whatever ends the call puts the request flags back.
    velon::ScopedLibraryFlags flags(velon::kRequestFlags, function);
    if (is_smarttoken_path(psePath))
        flags.set(flags.read() | kSmartTokenRequestFlag);

    // A token's PIN guards its containers; elsewhere no password means
    // the library asks for a new one.
    const char* password = emptyPassword && !isToken(psePath) ? "" : nullptr;
    const std::string path = key_path_to_system_cp(function, psePath);
    int result = PSE_Generation(path.c_str(), 0, password, 1);
    if (result != 0 && result != DRAVIK_E_KEYS_EXIST)
        fail_with_library(function, "PSE_Generation", result, " (psePath:" + psePath + ")");

    // The request file goes however the call ends.
    const velon::TemporaryFile request = velon::TemporaryFile::create(function);
    VELON_INFO(function, "temp request file:" + request.name());

    result = SetKeyUsage(keygen_param_set == "RSA" ? kRsaKeyUsage : kGostKeyUsage, 1);
    if (result != 0)
        fail_with_library(function, "SetKeyUsage", result);

    std::string keyFile;
    const std::string chosen = path_to_system_cp(function, keygen_key_file);
    if (chosen.empty()) {
        if (keygen_param_set == "RSA")
            keyFile = next_rsa_key_file(path, function);
    } else if (boost::filesystem::path(chosen).is_absolute() || isToken(keygen_key_file)) {
        keyFile = chosen;
    } else {
        keyFile = path + "\\" + chosen;
    }
    VELON_INFO(function, "key file:" + keyFile);
    // The library is handed the key file too, which may lie elsewhere than
    // the container: on a token another site logged into, say.
    if (!keyFile.empty())
        claim_key_path(function, keyFile);

    // An object that never chose a set generates with the default one.
    if (keygen_param_set.empty()) {
        result = SetNewKeysAlgorithm(kDefaultParamSet);
        if (result != 0)
            fail_with_library(function, "SetNewKeysAlgorithm", result);
    }

    result = NewKeysGenerationEx(path.c_str(), 0, keyFile.empty() ? nullptr : keyFile.c_str(), 0,
                                 request.name().c_str());
    if (result != 0)
        fail_with_library(function, "NewKeysGenerationEx", result,
                          " (psePath:" + psePath + ";keyFile:" + keyFile + ";reqfile:" + request.name() + ")");

    const std::string text = file_buffer(utf8_to_system_cp(request.name()));
    flags.restore();
    return text;
}
