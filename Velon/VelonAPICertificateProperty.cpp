// getCertificateProperty: one property of a certificate given as data.
#include "Velon/VelonAPI.h"

#include <algorithm>

#include "ScriptingCore/exceptions.h"
#include "Velon/ApiLog.h"
#include "Velon/Configuration.h"

namespace {

using TextProperty = char* (*)(const void*, std::uint32_t);

struct PropertyCall {
    const char* name;
    const char* libraryFunction;
    TextProperty call;  // null for "version"
};

const PropertyCall kProperties[] = {
    {"subject", "GetCertificateSubjectBuffer", &GetCertificateSubjectBuffer},
    {"issuer", "GetCertificateIssuerBuffer", &GetCertificateIssuerBuffer},
    {"serialnumber", "GetCertificateSerialBuffer", &GetCertificateSerialBuffer},
    {"notbefore", "GetCertificateNotBeforeBuffer", &GetCertificateNotBeforeBuffer},
    {"notafter", "GetCertificateNotAfterBuffer", &GetCertificateNotAfterBuffer},
    {"thumbprint", "GetCertFingerprintBuffer", &GetCertFingerprintBuffer},
    {"version", "GetCertificateInfoBufferEx", nullptr},
};

struct InfoRecord {
    DravikCertificateInfo info{};
    ~InfoRecord() { FreeCertificateInfo(&info); }
};

}  // namespace

std::string VelonAPI::getCertificateProperty(std::string certificate, std::string property)
{
    const char* const function = "VelonAPI::getCertificateProperty";
    VELON_TRACE(function, "VelonAPI::getCertificateProperty(*certificate*, " + property + ")");
    check_initPlugin("getCertificateProperty");
    std::transform(property.begin(), property.end(), property.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    const auto chosen = std::find_if(std::begin(kProperties), std::end(kProperties),
                                     [&](const PropertyCall& p) { return property == p.name; });
    if (chosen == std::end(kProperties)) {
        ::PB::Log::error("VelonAPI::getCertificateProperty()", Configuration::get_message(true, "err_param_01"),
                         __FILE__, __LINE__, "VelonAPI::getCertificateProperty()");
        throw PB::script_error(Configuration::get_message(false, "err_param_01"));
    }

    const auto length = static_cast<std::uint32_t>(certificate.size());
    if (chosen->call) {
        velon::LibraryBuffer text(chosen->call(certificate.data(), length));
        if (!text)
            fail_with_library(function, chosen->libraryFunction, GetDravikLastError());
        return std::string(text.get());
    }
    InfoRecord record;
    const int result = GetCertificateInfoBufferEx(certificate.data(), length, &record.info);
    if (result != 0)
        fail_with_library(function, chosen->libraryFunction, result);
    return record.info.version ? std::string(record.info.version) : std::string();
}
