#pragma once
// An object of the page seen from the plug-in; each host adapter implements it.

#include "ScriptingCore/JSAPI.h"

namespace PB {

class JSObject : public JSAPI {
public:
    ~JSObject() override;
};

}  // namespace PB
