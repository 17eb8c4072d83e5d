// The process-wide settings that shape signatures and checks.
#pragma once

#include <cstdint>

namespace dravik {

struct Settings {
  int inputCodePage = 5;
  int outputCodePage = 5;
  int outputFormat = 3;
  bool insertCertificate = true;
  bool insertSigningTime = true;
  uint32_t pkcs7Flags = 0;
  uint32_t verifyFlags = 0;
  uint32_t requestFlags = 0;
};

Settings& settings();
void resetSettings();

}  // namespace dravik
