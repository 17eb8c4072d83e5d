#include "PluginMethod.h"

#include "PluginObject.h"

namespace npbrowser {

page::Value PluginMethod::call(const std::vector<page::Value>& args)
{
    return m_owner->invoke(m_name, args);
}

}  // namespace npbrowser
