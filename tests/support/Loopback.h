#pragma once
// Loopback servers for tests of what the plug-in does with the page's host.

#include <cstdint>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

namespace test {

// Name resolution that honours configured addresses finds IPv4 only where
// an interface other than loopback has one.
bool hasIpv4BeyondLoopback();

// A server on 127.0.0.1 that takes no connection: its queue is full, so a
// connect to it waits for the system's connection time-out.
class SilentServer {
public:
    SilentServer();
    std::uint16_t port() const { return m_acceptor.local_endpoint().port(); }

private:
    boost::asio::io_context m_io;
    boost::asio::ip::tcp::acceptor m_acceptor{m_io};
    boost::asio::ip::tcp::socket m_filler{m_io};
};

}  // namespace test
