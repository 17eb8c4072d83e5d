#include "callbacks.h"

#include "api_call.h"

namespace dravik {
namespace {

Callbacks& registered() {
  static Callbacks instance;
  return instance;
}

template <typename Callback>
int setCallback(const char* function, Callback Callbacks::*slot, Callback callback) {
  return callInt(function, Needs::Init, Args().handle("callback", reinterpret_cast<const void*>(callback)),
                 [&] {
                   registered().*slot = callback;
                   return 0;
                 });
}

}  // namespace

const Callbacks& callbacks() { return registered(); }

void resetCallbacks() { registered() = Callbacks(); }

}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API int SetKeysPasswordCallbackFun(DravikPasswordCallback callback) {
  return setCallback("SetKeysPasswordCallbackFun", &Callbacks::keyPassword, callback);
}

extern "C" DRAVIK_API int SetKeysNewPasswordCallbackFun(DravikPasswordCallback callback) {
  return setCallback("SetKeysNewPasswordCallbackFun", &Callbacks::keyNewPassword, callback);
}

extern "C" DRAVIK_API int SetPrivateKeyErrorCallbackFun(DravikErrorCallback callback) {
  return setCallback("SetPrivateKeyErrorCallbackFun", &Callbacks::privateKeyError, callback);
}

extern "C" DRAVIK_API int SetPSEPasswordCallbackFun(DravikPasswordCallback callback) {
  return setCallback("SetPSEPasswordCallbackFun", &Callbacks::psePassword, callback);
}

extern "C" DRAVIK_API int SetPSEErrorCallbackFun(DravikErrorCallback callback) {
  return setCallback("SetPSEErrorCallbackFun", &Callbacks::pseError, callback);
}

extern "C" DRAVIK_API int SetTokenPinCallbackFun(DravikTokenPinCallback callback) {
  return setCallback("SetTokenPinCallbackFun", &Callbacks::tokenPin, callback);
}

extern "C" DRAVIK_API int CADB_set_device_request_callback(DravikDeviceRequestCallback callback) {
  return setCallback("CADB_set_device_request_callback", &Callbacks::deviceRequest, callback);
}
