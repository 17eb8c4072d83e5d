#include "settings.h"

#include "api_call.h"

namespace dravik {

Settings& settings() {
  static Settings instance;
  return instance;
}

void resetSettings() { settings() = Settings(); }

namespace {

bool knownCodePage(int codePage) { return codePage == DRAVIK_CP_UTF8 || codePage == DRAVIK_CP_SYSTEM; }

bool knownFormat(int format) {
  return format == DRAVIK_FORMAT_DER || format == DRAVIK_FORMAT_PEM || format == DRAVIK_FORMAT_BASE64;
}

int readFlags(const char* function, uint32_t* target, uint32_t value) {
  return callInt(function, Needs::Init, Args().handle("flags", target), [&] {
    require(target != nullptr, DRAVIK_E_NULL_PARAM);
    *target = value;
    return 0;
  });
}

int writeFlags(const char* function, uint32_t* target, uint32_t value) {
  return callInt(function, Needs::Init, Args().hex("flags", value), [&] {
    *target = value;
    return 0;
  });
}

}  // namespace
}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API int SetInputCodePage(int codePage) {
  return callInt("SetInputCodePage", Needs::Init, Args().number("codePage", codePage), [&] {
    require(knownCodePage(codePage), DRAVIK_E_PARAMETER);
    settings().inputCodePage = codePage;
    return 0;
  });
}

extern "C" DRAVIK_API int SetOutputCodePage(int codePage) {
  return callInt("SetOutputCodePage", Needs::Init, Args().number("codePage", codePage), [&] {
    require(knownCodePage(codePage), DRAVIK_E_PARAMETER);
    settings().outputCodePage = codePage;
    return 0;
  });
}

extern "C" DRAVIK_API int SetOutputFormat(int format) {
  return callInt("SetOutputFormat", Needs::Init, Args().number("format", format), [&] {
    require(knownFormat(format), DRAVIK_E_PARAMETER);
    settings().outputFormat = format;
    return 0;
  });
}

extern "C" DRAVIK_API int InsertCertificateToSign(int include) {
  return callInt("InsertCertificateToSign", Needs::Init, Args().number("include", include), [&] {
    settings().insertCertificate = include != 0;
    return 0;
  });
}

extern "C" DRAVIK_API int InsertSigningTimeToSign(int include) {
  return callInt("InsertSigningTimeToSign", Needs::Init, Args().number("include", include), [&] {
    settings().insertSigningTime = include != 0;
    return 0;
  });
}

extern "C" DRAVIK_API int GetPKCS7Flags(uint32_t* flags) {
  return readFlags("GetPKCS7Flags", flags, settings().pkcs7Flags);
}

extern "C" DRAVIK_API int SetPKCS7Flags(uint32_t flags) {
  return writeFlags("SetPKCS7Flags", &settings().pkcs7Flags, flags);
}

extern "C" DRAVIK_API int GetCertificateVerifyFlags(uint32_t* flags) {
  return readFlags("GetCertificateVerifyFlags", flags, settings().verifyFlags);
}

extern "C" DRAVIK_API int SetCertificateVerifyFlags(uint32_t flags) {
  return writeFlags("SetCertificateVerifyFlags", &settings().verifyFlags, flags);
}

extern "C" DRAVIK_API int GetCertificateRequestFlags(uint32_t* flags) {
  return readFlags("GetCertificateRequestFlags", flags, settings().requestFlags);
}

extern "C" DRAVIK_API int SetCertificateRequestFlags(uint32_t flags) {
  return writeFlags("SetCertificateRequestFlags", &settings().requestFlags, flags);
}
