#pragma once
// A page object seen from the plug-in, over HostWire. Reads and calls become
// "GetP" and "Invoke" commands answered by promises, writes and removals
// "SetP" and "DelP" that report nothing; all wait until the page has told
// the object's member names (which answer hasProperty and hasMethod from a
// cache). Letting the last reference go, or invalidate(), sends "RelObj"
// (never for object 0, a spawn's browser object), after any command still
// waiting for the names; when the names never come it goes once the page
// refused them, or at the instance's shutdown, and the waiting commands are
// dropped. So the page never keeps an object the plug-in has let go.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "HostWire/OnceCommand.h"
#include "ScriptingCore/JSObject.h"

namespace PB {
namespace HostWire {

class AlienLarvae;
class WireBrowserHost;

class AlienWireling : public JSObject {
public:
    // The only way one is made; each call makes a new object with a cache of its own.
    static std::shared_ptr<AlienWireling> create(const std::shared_ptr<WireBrowserHost>& host,
                                                 const std::shared_ptr<AlienLarvae>& larvae);

    explicit AlienWireling(const std::shared_ptr<WireBrowserHost>& host);
    ~AlienWireling() override;

    void invalidate() override;

    void getMemberNames(std::vector<std::string>& names) const override;
    std::size_t getMemberCount() const override;
    bool hasMethod(std::string name) const override;
    bool hasProperty(int index) const override;
    bool hasProperty(std::string name) const override;
    // A failed or released object throws object_invalidated; one whose host
    // is gone throws std::bad_cast; nothing is sent then.
    Promise<variant> getProperty(int index) override;
    Promise<variant> getProperty(std::string name) override;
    void setProperty(int index, const variant& value) override;
    void setProperty(std::string name, const variant& value) override;
    void removeProperty(int index) override;
    void removeProperty(std::string name) override;
    Promise<variant> invoke(std::string method, const VariantList& args) override;
    PB_JSAPI_KEEP_WIDE_FORMS(JSObject);

    void* getNativeHandle() override;
    void* getContextID() override;
    bool supportsCallHandlers() override { return true; }
    void callHandlers(std::string event, const VariantList& args, const std::vector<JSObjectPtr>& handlers,
                      const std::vector<JSObjectPtr>& sinks) override;
    bool isValid() override;

    std::uint32_t getSpawnId() const { return m_spawnId; }
    std::uint32_t getObjectId() const { return m_objectId; }

private:
    void init(const std::shared_ptr<AlienLarvae>& larvae);
    // The host to send through, after the validity checks.
    std::shared_ptr<WireBrowserHost> sender() const;
    // Sends the command once the names are known; the promise of its answer.
    Promise<variant> whenReady(VariantList command);
    // Sends the command once the names are known, reporting nothing.
    void sendWhenReady(VariantList command);

    std::weak_ptr<WireBrowserHost> m_wireHost;
    Promise<void> m_ready;
    bool m_valid = false;
    // The "RelObj" of this object; commands still waiting once it went out are dropped.
    std::shared_ptr<OnceCommand> m_release;
    std::vector<std::string> m_names;
    std::uint32_t m_spawnId = 0;
    std::uint32_t m_objectId = 0;
};

}  // namespace HostWire
}  // namespace PB
