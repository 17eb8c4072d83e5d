// Reading certificate requests: a request file as PEM, a request in another
// encoding, and one property of a request.
#include "Velon/VelonAPI.h"

#include <algorithm>

#include "Velon/ApiLog.h"

namespace {

std::string lower_ascii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

std::uint32_t length_of(const std::string& bytes)
{
    return static_cast<std::uint32_t>(bytes.size());
}

// The request re-encoded as format; every byte of the library's output.
std::string convert_request(const char* function, const std::string& request, int format)
{
    velon::OutputBuffer output;
    const int result = ConvertEncodedObject(DRAVIK_OBJECT_REQUEST, request.data(), length_of(request), format,
                                            &output.data, &output.length, 0);
    if (result != 0)
        VelonAPI::fail_with_library(function, "ConvertEncodedObject", result);
    return output.bytes();
}

// The fields of the request information record the page can ask for.
struct InfoProperty {
    const char* name;
    char* DravikRequestInfo::*field;
};

const InfoProperty kInfoProperties[] = {
    {"version", &DravikRequestInfo::version},
    {"signature", &DravikRequestInfo::signature},
    {"publickey", &DravikRequestInfo::publicKey},
    {"text", &DravikRequestInfo::text},
};

}  // namespace

std::string VelonAPI::readCertRequest(std::string path)
{
    const char* const function = "VelonAPI::readCertRequest";
    VELON_TRACE(function, "VelonAPI::readCertRequest(" + path + ")");
    check_initPlugin("readCertRequest");
    return convert_request(function, file_buffer(utf8_to_system_cp(path)), DRAVIK_FORMAT_PEM);
}

std::string VelonAPI::encodeCertRequest(std::string request, std::string encoding)
{
    const char* const function = "VelonAPI::encodeCertRequest";
    VELON_TRACE(function, "VelonAPI::encodeCertRequest(*request*, " + encoding + ")");
    check_initPlugin("encodeCertRequest");
    const std::string chosen = lower_ascii(encoding);
    int format = 0;
    if (chosen == "base64")
        format = DRAVIK_FORMAT_BASE64;
    else if (chosen == "pem")
        format = DRAVIK_FORMAT_PEM;
    else
        fail_with_key(function, "err_format_cert_request");
    return convert_request(function, request, format);
}

std::string VelonAPI::getCertRequestProperty(std::string request, std::string property)
{
    const char* const function = "VelonAPI::getCertRequestProperty";
    VELON_TRACE(function, "VelonAPI::getCertRequestProperty(*request*, " + property + ")");
    check_initPlugin("getCertRequestProperty");
    const std::string chosen = lower_ascii(property);

    if (chosen == "subject") {
        velon::RequestContext context(DK_GetRequestContext(DRAVIK_SOURCE_BYTES, request.data(), length_of(request)));
        if (!context)
            fail_with_library(function, "DK_GetRequestContext", GetDravikLastError());
        velon::OutputBuffer name;
        const int result =
            DK_GetRequestContextParam(context.get(), DRAVIK_CERT_PARAM_SUBJECT_NAME, 0, &name.data, &name.length);
        if (result != 0)
            fail_with_library(function, "DK_GetRequestContextParam", result);
        velon::LibraryBuffer text(GetX509NameString(name.data, name.length, DRAVIK_NAME_RFC2253));
        if (!text)
            fail_with_library(function, "GetX509NameString", GetDravikLastError());
        return std::string(text.get());
    }
    if (chosen == "thumbprint") {
        velon::LibraryBuffer text(GetRequestFingerprintBuffer(request.data(), length_of(request)));
        if (!text)
            fail_with_library(function, "GetRequestFingerprintBuffer", GetDravikLastError());
        return std::string(text.get());
    }
    const auto asked = std::find_if(std::begin(kInfoProperties), std::end(kInfoProperties),
                                    [&](const InfoProperty& p) { return chosen == p.name; });
    if (asked == std::end(kInfoProperties))
        fail_with_key(function, "err_param_01");
    velon::RequestInfo info;
    const int result = GetRequestInfoBuffer(request.data(), length_of(request), &info.record);
    if (result != 0)
        fail_with_library(function, "GetRequestInfoBuffer", result);
    // A field the library left out is an empty answer.
    const char* text = info.record.*(asked->field);
    return text ? std::string(text) : std::string();
}
