#include "PluginSlot.h"

#include <stdexcept>

#include "NpBrowser.h"

namespace npbrowser {

std::shared_ptr<NpBrowser> PluginSlot::browser() const
{
    std::shared_ptr<NpBrowser> live = m_browser.lock();
    if (!live || !live->isOpen())
        throw std::runtime_error("The plug-in module is not loaded");
    return live;
}

page::Value PluginSlot::create(const std::string& mimeType, const page::Value& params)
{
    return browser()->createInstance(mimeType, params);
}

void PluginSlot::destroy(const page::Value& plugin)
{
    browser()->destroyInstance(plugin);
}

}  // namespace npbrowser
