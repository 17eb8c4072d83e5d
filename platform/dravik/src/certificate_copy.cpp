// Copying a certificate file onto a token (or into a folder).
#include <fstream>
#include <system_error>

#include "api_call.h"
#include "certificate_properties.h"
#include "certificates.h"
#include "encoding.h"
#include "locations.h"
#include "tokens.h"

using namespace dravik;

extern "C" DRAVIK_API int CopyCertificate(const char* sourceFile, const char* target, int replace) {
  Args args;
  args.text("sourceFile", sourceFile).text("target", target).number("replace", replace);
  return callInt("CopyCertificate", Needs::Init, args, [&] {
    require(sourceFile != nullptr && target != nullptr, DRAVIK_E_NULL_PARAM);
    X509Ptr certificate = readCertificateAt(sourceFile);
    Location where = locate(target);
    if (where.onToken) loginToken(where.device);
    std::error_code error;
    require(std::filesystem::is_directory(where.local, error), DRAVIK_E_OPEN);
    std::filesystem::path file = where.local / (fingerprintText(certificate.get()) + ".cer");
    require(replace != 0 || !std::filesystem::exists(file, error), DRAVIK_E_FILE_EXISTS);
    std::string der = derOf(certificate.get());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    require(out && out.write(der.data(), static_cast<std::streamsize>(der.size())) && out.flush(),
            DRAVIK_E_WRITE_OBJECTS);
    return 0;
  });
}
