#include "PluginCore/BrowserStreamRequest.h"

namespace PB {

BrowserStreamRequest::BrowserStreamRequest(const std::string& url, std::string method, bool solicited)
    : uri(url), method(std::move(method)), m_url(url), m_solicited(solicited)
{
}

}  // namespace PB
