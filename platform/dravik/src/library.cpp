#include "library.h"

#include "api_call.h"
#include "callbacks.h"
#include "engine.h"
#include "home.h"
#include "key_algorithms.h"
#include "key_cache.h"
#include "request_extensions.h"
#include "request_subject.h"
#include "settings.h"
#include "tokens.h"
#include "trust_store.h"

namespace dravik {
namespace {

int initCount = 0;

void dropState() {
  resetSettings();
  resetRequestExtensions();
  resetRequestSubject();
  resetKeyGeneration();
  resetCallbacks();
  clearKeyCache();
  clearTrust();
  logoutAllTokens();
}

}  // namespace

std::recursive_mutex& libraryMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

bool libraryInitialised() { return initCount > 0; }

void resetLibrary() {
  dropState();
  initCount = 0;
}

}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API int PKCS7Init(const char* home, int reserved) {
  return callInt("PKCS7Init", Needs::Nothing, Args().text("home", home).number("reserved", reserved),
                 [&] {
                   require(reserved == 0, DRAVIK_E_PARAMETER);
                   if (initCount == 0) {
                     loadGostEngine();
                     dropState();
                     setHomeFolder(home);
                   }
                   ++initCount;
                   return 0;
                 });
}

extern "C" DRAVIK_API int PKCS7Final(void) {
  return callInt("PKCS7Final", Needs::Init, Args(), [&] {
    if (--initCount == 0) dropState();
    return 0;
  });
}
