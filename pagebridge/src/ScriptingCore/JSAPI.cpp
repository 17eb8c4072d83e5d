#include "ScriptingCore/JSAPI.h"

namespace PB {

JSAPI::~JSAPI() = default;

}  // namespace PB
