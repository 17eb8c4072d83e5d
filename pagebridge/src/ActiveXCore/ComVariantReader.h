#pragma once
// The conversion of COM VARIANT to PB::variant, decided by the VARIANT's
// type. Page objects (VT_DISPATCH) need the host; without one they read as
// empty.

#include <memory>

#include <com/variant.h>

#include "ScriptingCore/variant.h"

namespace PB {
namespace ActiveX {

class ActiveXBrowserHost;

variant variantFromCom(const VARIANT* value, const std::shared_ptr<ActiveXBrowserHost>& host);

}  // namespace ActiveX
}  // namespace PB
