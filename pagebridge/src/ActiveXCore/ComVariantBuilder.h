#pragma once
// The conversion of PB::variant to COM VARIANT, driven by the held type: one
// builder per type the page can receive; any other type gives VT_EMPTY.
// Lists and maps become page arrays and objects when the host has a page
// window, one-dimensional SAFEARRAYs of VARIANT otherwise (a map as key,
// value, key, value...).

#include <map>
#include <memory>
#include <typeinfo>

#include <com/variant.h>

#include "ScriptingCore/variant.h"

namespace PB {
namespace ActiveX {

class ActiveXBrowserHost;

// Fills out (VT_EMPTY on entry) with a value the caller owns; failures are
// thrown.
using ComVariantBuilder = void (*)(const std::shared_ptr<ActiveXBrowserHost>& host, const variant& value,
                                   VARIANT* out);

struct TypeInfoLess {
    bool operator()(const std::type_info* left, const std::type_info* right) const { return left->before(*right); }
};
using ComVariantBuilderMap = std::map<const std::type_info*, ComVariantBuilder, TypeInfoLess>;

// Built once, on first use.
const ComVariantBuilderMap& getComVariantBuilderMap();

}  // namespace ActiveX
}  // namespace PB
