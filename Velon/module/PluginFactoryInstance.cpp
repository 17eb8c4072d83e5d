// The process-wide plug-in factory through which the framework and the host
// adapters reach the product.
#include "Velon/PluginFactory.h"

PB::FactoryBasePtr getPluginFactory()
{
    static const PB::FactoryBasePtr factory = std::make_shared<PluginFactory>();
    return factory;
}
