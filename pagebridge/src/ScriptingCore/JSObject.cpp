#include "ScriptingCore/JSObject.h"

namespace PB {

JSObject::~JSObject() = default;

}  // namespace PB
