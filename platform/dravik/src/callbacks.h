// The callbacks the caller registered (process-wide).
#pragma once

#include "dravik/dravik.h"

namespace dravik {

struct Callbacks {
  DravikPasswordCallback keyPassword = nullptr;
  DravikPasswordCallback keyNewPassword = nullptr;
  DravikErrorCallback privateKeyError = nullptr;
  DravikPasswordCallback psePassword = nullptr;
  DravikErrorCallback pseError = nullptr;
  DravikTokenPinCallback tokenPin = nullptr;
  DravikDeviceRequestCallback deviceRequest = nullptr;
};

const Callbacks& callbacks();
void resetCallbacks();

}  // namespace dravik
