#include "Velon/PluginFactory.h"

#include "Velon/Velon.h"

PB::PluginCorePtr PluginFactory::createPlugin(const std::string&)
{
    // Made shared at once: the plug-in core hands out shared_from_this.
    return std::make_shared<Velon>();
}
