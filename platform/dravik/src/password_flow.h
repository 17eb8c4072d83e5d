// Asking the caller for passwords, PINs and devices through the registered
// callbacks, with retries bounded so that nothing loops forever.
#pragma once

#include <functional>
#include <string>

#include "dravik/dravik.h"
#include "secret.h"

namespace dravik {

struct PasswordRequest {
  DravikPasswordCallback ask = nullptr;
  DravikErrorCallback onWrong = nullptr;
  int wrongCode = 0;  // given to onWrong, and the result when giving up
  std::string name;   // what GetKeyFileNameForPassword reports meanwhile
};

// Asks until accept takes a password. Without a callback, or when onWrong
// gives up: wrongCode. Cancel, or DRAVIK_MAX_PROMPTS prompts: 184.
Secret askPassword(const PasswordRequest& request, const std::function<bool(const Secret&)>& accept);

// A new password: given when not null, else asked once through ask (184
// without a callback, or when cancelled).
Secret newPassword(const char* given, DravikPasswordCallback ask, const std::string& name);

// Asks for the PIN of the token at device until accept takes one; a wrong
// PIN asks again. No callback, cancel, or too many prompts: 184.
Secret askPin(DravikTokenPinCallback ask, const std::string& device, const std::string& label,
              const std::function<bool(const Secret&)>& accept);

// Calls the device-request callback until present answers true; 184 when
// there is no callback, it gives up, or after DRAVIK_MAX_PROMPTS requests.
void awaitDevice(DravikDeviceRequestCallback ask, const std::string& device, const std::function<bool()>& present);

// The name reported by GetKeyFileNameForPassword on this thread, or NULL.
const char* nameBeingOpened();

}  // namespace dravik
