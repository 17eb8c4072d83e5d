#include "PluginCore/FactoryBase.h"

#include <win32/window.h>

#include "PluginCore/Win/PluginWindowWin.h"
#include "PluginCore/Win/PluginWindowlessWin.h"

namespace PB {

FactoryBase::~FactoryBase() = default;

void FactoryBase::getLoggingMethods(LoggingMethodList&) {}

int FactoryBase::getLogLevel()
{
    return 4;
}

PluginWindowWin* FactoryBase::createPluginWindowWin(const WindowContextWin& context)
{
    return PluginWindowWin::create(context.handle);
}

PluginWindowlessWin* FactoryBase::createPluginWindowless(const WindowContextWindowless& context)
{
    return new PluginWindowlessWin(context.drawable, context.hostWindow);
}

}  // namespace PB
