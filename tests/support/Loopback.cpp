#include "support/Loopback.h"

#include <ifaddrs.h>
#include <net/if.h>

namespace test {

bool hasIpv4BeyondLoopback()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return false;
    bool found = false;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next)
        found |= entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET && !(entry->ifa_flags & IFF_LOOPBACK);
    freeifaddrs(list);
    return found;
}

SilentServer::SilentServer()
{
    namespace ip = boost::asio::ip;
    m_acceptor.open(ip::tcp::v4());
    m_acceptor.bind({ip::make_address_v4("127.0.0.1"), 0});
    m_acceptor.listen(0);
    m_filler.connect(m_acceptor.local_endpoint());
}

}  // namespace test
