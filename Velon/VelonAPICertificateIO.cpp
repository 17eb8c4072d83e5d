// readCertificate and writeCertificate: certificates between the page and
// files or tokens.
#include "Velon/VelonAPI.h"

#include <boost/filesystem/operations.hpp>
#include <boost/filesystem/path.hpp>

#include <algorithm>
#include <fstream>

#include "ScriptingCore/exceptions.h"
#include "Velon/ApiLog.h"
#include "Velon/Configuration.h"
#include "Velon/TemporaryFile.h"

namespace {

std::string lower_ascii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

// These failures are logged in the user's language, as the page sees them.
[[noreturn]] void fail_localised(const char* function, const std::string& key, const std::string& detail = "")
{
    const std::string text = Configuration::get_message(false, key);
    ::PB::Log::error(function, text + detail, __FILE__, __LINE__, function);
    throw PB::script_error(text);
}

bool write_all(const std::string& path, const velon::OutputBuffer& bytes)
{
    std::ofstream file(path, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!file.is_open())
        return false;
    file.write(bytes.data, static_cast<std::streamsize>(bytes.length));
    file.close();
    return !file.fail();
}

}  // namespace

std::string VelonAPI::readCertificate(std::string name)
{
    const char* const function = "VelonAPI::readCertificate";
    VELON_TRACE(function, "VelonAPI::readCertificate(" + name + ")");
    check_initPlugin("readCertificate");
    const std::string converted = path_to_system_cp(function, name);
    velon::CertificateContext context(DK_GetCertificateContext(DRAVIK_SOURCE_NAME, converted.c_str(), 0));
    if (!context)
        fail_with_library(function, "DK_GetCertificateContext", GetDravikLastError());
    velon::OutputBuffer der;
    int result = DK_GetCertificateContextParam(context.get(), DRAVIK_CERT_PARAM_ENCODED, 0, &der.data, &der.length);
    context.reset();
    if (result != 0) {
        der.release();
        fail_with_library(function, "DK_GetCertificateContextParam", result);
    }
    velon::OutputBuffer pem;
    result = ConvertEncodedObject(DRAVIK_OBJECT_CERTIFICATE, der.data, der.length, DRAVIK_FORMAT_PEM, &pem.data,
                                  &pem.length, 0);
    if (result != 0)
        fail_with_library(function, "ConvertEncodedObject", result);
    return pem.bytes();
}

int VelonAPI::writeCertificate(std::string certificate, int tokenCopyValue, std::string path, std::string format)
{
    if (isToken(path))
        return writeCertificateOnToken(std::move(certificate), tokenCopyValue, std::move(path));
    return writeCertificateOnFileSystem(std::move(certificate), std::move(path), std::move(format));
}

int VelonAPI::writeCertificateOnFileSystem(std::string certificate, std::string path, std::string format)
{
    const char* const function = "VelonAPI::writeCertificateOnFileSystem";
    VELON_TRACE("VelonAPI::writeCertificate",
                "VelonAPI::writeCertificateOnFileSystem(*certificate*, " + path + ", " + format + ")");
    check_initPlugin("writeCertificate");
    const std::string chosen = lower_ascii(format);
    int outputFormat = 0;
    if (chosen == "asn.1")
        outputFormat = DRAVIK_FORMAT_DER;
    else if (chosen == "pem")
        outputFormat = DRAVIK_FORMAT_PEM;
    else
        fail_localised(function, "err_format_cert");

    velon::OutputBuffer converted;
    const int result = ConvertEncodedObject(DRAVIK_OBJECT_CERTIFICATE, certificate.data(),
                                            static_cast<std::uint32_t>(certificate.size()), outputFormat,
                                            &converted.data, &converted.length, 0);
    if (result != 0)
        fail_with_library(function, "ConvertEncodedObject", result);

    const std::string target = path_to_system_cp(function, path);
    // One missing folder level is made; a path without one is in the
    // current folder, which exists.
    const boost::filesystem::path folder = boost::filesystem::path(target).parent_path();
    boost::system::error_code failed;
    if (!folder.empty() && !boost::filesystem::exists(folder) &&
        (!boost::filesystem::create_directory(folder, failed) || failed)) {
        converted.release();
        fail_localised(function, "err_file_open");
    }
    // A write that fails half-way must not be reported as stored.
    if (!write_all(target, converted)) {
        converted.release();
        fail_localised(function, "err_file_open");
    }
    return 0;
}

int VelonAPI::writeCertificateOnToken(std::string certificate, int tokenCopyValue, std::string path)
{
    const char* const function = "VelonAPI::writeCertificateOnToken";
    VELON_TRACE("VelonAPI::writeCertificate", "VelonAPI::writeCertificateOnToken(*certificate*, " +
                                                  std::to_string(tokenCopyValue) + ", " + path + ")");
    check_initPlugin("writeCertificate");

    // The certificate's temporary copy goes when the call ends, however it ends.
    const velon::TemporaryFile temporary = velon::TemporaryFile::create(function);
    ::PB::Log::info(function, "temp certificate file:" + temporary.name(), __FILE__, __LINE__, function);

    velon::OutputBuffer der;
    const int converted = ConvertEncodedObject(DRAVIK_OBJECT_CERTIFICATE, certificate.data(),
                                               static_cast<std::uint32_t>(certificate.size()), DRAVIK_FORMAT_DER,
                                               &der.data, &der.length, 0);
    if (converted != 0)
        fail_with_library(function, "ConvertEncodedObject", converted);
    if (!write_all(utf8_to_system_cp(temporary.name()), der)) {
        der.release();
        fail_localised(function, "err_file_open", " (temp_cert_file:" + temporary.name() + ")");
    }
    der.release();

    // The token's login is this site's from here on; the library is given
    // the path as the page gave it.
    key_path_to_system_cp(function, path);
    const int copied = CopyCertificate(temporary.name().c_str(), path.c_str(), tokenCopyValue);
    if (copied != 0)
        fail_with_library(function, "CopyCertificate", copied);
    return 0;
}
