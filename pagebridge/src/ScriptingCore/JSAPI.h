#pragma once
// The interface of an object that the page can script.

#include <memory>

namespace PB {

class JSAPI : public std::enable_shared_from_this<JSAPI> {
public:
    JSAPI() = default;
    JSAPI(const JSAPI&) = delete;
    JSAPI& operator=(const JSAPI&) = delete;
    virtual ~JSAPI();
};

}  // namespace PB
