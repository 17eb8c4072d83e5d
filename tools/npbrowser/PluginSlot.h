#pragma once
// navigator.createPlugin and destroyPlugin over the NPAPI browser: an
// instance of the module for the MIME type, whose scriptable object the
// page gets; destroyPlugin takes any object of an instance and destroys it.

#include <memory>

#include "page/PluginProvider.h"

namespace npbrowser {

class NpBrowser;

class PluginSlot : public page::PluginProvider {
public:
    explicit PluginSlot(std::weak_ptr<NpBrowser> browser) : m_browser(std::move(browser)) {}

    page::Value create(const std::string& mimeType, const page::Value& params) override;
    void destroy(const page::Value& plugin) override;

private:
    std::shared_ptr<NpBrowser> browser() const;

    std::weak_ptr<NpBrowser> m_browser;
};

}  // namespace npbrowser
