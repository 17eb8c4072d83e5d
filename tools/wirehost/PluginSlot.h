#pragma once
// navigator.createPlugin and destroyPlugin over HostWire: an instance of the
// module for the MIME type, whose root object the page gets; destroying any
// object of an instance destroys the instance.

#include <memory>

#include "page/PluginProvider.h"

namespace wirehost {

class WireHost;

class PluginSlot : public page::PluginProvider {
public:
    explicit PluginSlot(std::weak_ptr<WireHost> host) : m_host(std::move(host)) {}

    page::Value create(const std::string& mimeType, const page::Value& params) override;
    void destroy(const page::Value& plugin) override;

private:
    std::shared_ptr<WireHost> host() const;

    std::weak_ptr<WireHost> m_host;
};

}  // namespace wirehost
