// Building the certificate request: subject, policies and extensions. The
// request being built is the library's, one per process.
#include "Velon/VelonAPI.h"

#include <utility>
#include <vector>

#include "Velon/ApiLog.h"

int VelonAPI::addCertRequestAttribute(std::string attribute, std::string value)
{
    const char* const function = "VelonAPI::addCertRequestAttribute";
    VELON_TRACE(function, "VelonAPI::addCertRequestAttribute(" + attribute + ", " + value + ")");
    check_initPlugin("addCertRequestAttribute");
    const int result = SetDistinguishedNameAttribute(attribute.c_str(), value.c_str());
    if (result != 0)
        fail_with_library(function, "SetDistinguishedNameAttribute", result);
    return 0;
}

int VelonAPI::addCertRequestPolicy(std::string policy)
{
    const char* const function = "VelonAPI::addCertRequestPolicy";
    VELON_TRACE(function, "VelonAPI::addCertRequestPolicy(" + policy + ")");
    check_initPlugin("addCertRequestPolicy");
    const int result = AddCertificatePolicy(policy.c_str(), nullptr);
    if (result != 0)
        fail_with_library(function, "AddCertificatePolicy", result);
    return 0;
}

int VelonAPI::resetCertRequestAttributes()
{
    VELON_TRACE("VelonAPI::resetCertRequestAttributes", "VelonAPI::resetCertRequestAttributes()");
    check_initPlugin("resetCertRequestAttributes");
    ResetDistinguishedName();
    return 0;
}

int VelonAPI::resetCertRequestExtensions()
{
    VELON_TRACE("VelonAPI::resetCertRequestExtensions", "VelonAPI::resetCertRequestExtensions()");
    check_initPlugin("resetCertRequestExtensions");
    ResetExtensions();
    return setDefaultCertRequestValues();
}

int VelonAPI::setCertRequestSubjectSignTool()
{
    const char* const function = "VelonAPI::setCertRequestSubjectSignTool";
    VELON_TRACE(function, "VelonAPI::setCertRequestSubjectSignTool()");
    check_initPlugin("setCertRequestSubjectSignTool");
    const int result = SetSubjectSignTool();
    if (result != 0)
        fail_with_library(function, "SetSubjectSignTool", result);
    return 0;
}

int VelonAPI::setCertReqAttrsAsCert(std::string certificate)
{
    const char* const function = "VelonAPI::setCertReqAttrsAsCert";
    // The request is shared by every page of the process: a page that was
    // not granted access must not write its subject.
    check_initPlugin("setCertReqAttrsAsCert");

    std::vector<std::pair<std::string, std::string>> attributes;
    {
        velon::CertificateContext context(DK_GetCertificateContext(
            DRAVIK_SOURCE_BYTES, certificate.data(), static_cast<std::uint32_t>(certificate.size())));
        if (!context)
            fail_with_library(function, "DK_GetCertificateContext", GetDravikLastError());
        velon::OutputBuffer name;
        int result = DK_GetCertificateContextParam(context.get(), DRAVIK_CERT_PARAM_SUBJECT_NAME, 0, &name.data,
                                                   &name.length);
        if (result != 0)
            fail_with_library(function, "DK_GetCertificateContextParam", result);
        const int count = GetX509NameAttributeNumber(name.data, name.length);
        if (count <= 0) {
            // None with no error: an empty subject adds nothing.
            result = GetDravikLastError();
            if (result != 0)
                fail_with_library(function, "GetX509NameAttributeNumber", result);
        }
        for (int i = 0; i < count; ++i) {
            velon::LibraryBuffer oid(GetX509NameAttributeOID(name.data, name.length, i));
            if (!oid)
                fail_with_library(function, "GetX509NameAttributeOID", GetDravikLastError());
            velon::LibraryBuffer value(GetX509NameAttributeValue(name.data, name.length, i));
            if (!value)
                fail_with_library(function, "GetX509NameAttributeValue", GetDravikLastError());
            attributes.emplace_back(oid.get(), value.get());
        }
    }
    // Attributes set before a failing one stay in the request.
    for (const auto& attribute : attributes) {
        const int result = SetDistinguishedNameAttribute(attribute.first.c_str(), attribute.second.c_str());
        if (result != 0)
            fail_with_library(function, "SetDistinguishedNameAttribute", result);
    }
    return 0;
}
