#pragma once
// One plug-in instance made by the host's "New": the factory's plug-in
// object for the MIME type, given its browser host, the module path and the
// page's parameters. Its root scriptable object is published as object 0,
// and the plug-in becomes ready once the page side has its browser object up.

#include <memory>
#include <string>

#include "PluginCore/BrowserPlugin.h"

namespace PB {
namespace HostWire {

class WireBrowserHost;

class WireSpawn : public BrowserPlugin {
public:
    // Throws when the factory has no plug-in for the MIME type.
    WireSpawn(const std::shared_ptr<WireBrowserHost>& host, const std::string& mimetype);
    ~WireSpawn() override;

    // Shuts the host and the plug-in down, once.
    void shutdown() override;
    virtual void setParams(VariantMap params);
    // Publishes the root object; the plug-in becomes ready when browserReady
    // resolves (not after a shutdown).
    virtual void getRootObject(Promise<void> browserReady);

    bool isReady() const { return m_state->ready; }
    const std::string& mimetype() const { return m_mimetype; }
    const std::string& description() const { return m_description; }
    const std::string& name() const { return m_name; }

private:
    // Shared with the readiness callback, which may outlive the spawn.
    struct State {
        bool ready = false;
        bool shutDown = false;
    };

    std::shared_ptr<WireBrowserHost> m_host;
    std::shared_ptr<State> m_state;
    std::string m_mimetype;
    std::string m_description;
    std::string m_name;
};

}  // namespace HostWire
}  // namespace PB
