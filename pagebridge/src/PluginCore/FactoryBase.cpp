#include "PluginCore/FactoryBase.h"

#include <stdexcept>

namespace PB {

FactoryBase::~FactoryBase() = default;

void FactoryBase::getLoggingMethods(LoggingMethodList&) {}

int FactoryBase::getLogLevel()
{
    return 4;
}

PluginWindowWin* FactoryBase::createPluginWindowWin(const WindowContextWin&)
{
    throw std::runtime_error("No plug-in window can be made on this platform");
}

PluginWindowlessWin* FactoryBase::createPluginWindowless(const WindowContextWindowless&)
{
    throw std::runtime_error("No windowless plug-in window can be made on this platform");
}

}  // namespace PB
