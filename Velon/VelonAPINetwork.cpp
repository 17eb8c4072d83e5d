// getNetworkInterfaceInfo: the local IPv4 address and hardware address of
// the interface through which this computer reaches the page's server.
#include "Velon/VelonAPI.h"

#include <iphlpapi/iphlpapi.h>

#include <arpa/inet.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/format.hpp>
#include <boost/regex.hpp>

#include <chrono>
#include <cstring>
#include <memory>

#include "ScriptingCore/exceptions.h"
#include "Velon/ApiLog.h"
#include "Velon/Configuration.h"
#include "Velon/SitePatterns.h"

namespace {

// A server that never answers must not hold the page's thread for the
// system's connection time-out (minutes): the connection is given this long.
constexpr std::chrono::seconds kConnectTimeout{5};

// Connects socket to endpoint, waiting at most kConnectTimeout; false when
// the connection cannot be made in that time. The wait runs the I/O service
// on this thread: no thread is started for it.
bool connect_within_time_out(boost::asio::io_context& io, boost::asio::ip::tcp::socket& socket,
                             const boost::asio::ip::tcp::endpoint& endpoint)
{
    boost::system::error_code result = boost::asio::error::would_block;
    socket.async_connect(endpoint, [&result](const boost::system::error_code& error) { result = error; });
    io.run_for(kConnectTimeout);
    if (result == boost::asio::error::would_block) {
        // Closing cancels the attempt; its handler still has to run.
        boost::system::error_code ignored;
        socket.close(ignored);
        io.restart();
        io.run();
        return false;
    }
    return !result;
}

PB::VariantMap interface_info(const std::string& url)
{
    std::string host;
    std::string port;
    if (velon::site::is_file_page(url)) {
        host = "localhost";
    } else {
        // The server the browser reached, read as the browser reads it.
        const std::string address = velon::site::as_browser_reads(url);
        boost::smatch parts;
        if (!velon::site::match(address, parts, velon::site::page_pattern())) {
            ::PB::Log::error("VelonAPI::getNetworkInterfaceInfo()",
                             Configuration::get_message(true, "err_url_01") + ": " + url, __FILE__, __LINE__,
                             "VelonAPI::getNetworkInterfaceInfo");
            throw PB::script_error(Configuration::get_message(false, "err_url_01"));
        }
        host = parts[2];
        port = parts[3].length() != 0 ? parts[3].str() : parts[1] == "https://" ? "443" : "80";
    }

    unsigned char ipv4[4] = {};
    unsigned char mac[6] = {};
    const int found = VelonAPI::collect_interface_addresses(host, port, ipv4, mac);
    PB::VariantMap info;
    if (found & 1)
        info["IP_V4"] = (boost::format("%1%.%2%.%3%.%4%") % int(ipv4[0]) % int(ipv4[1]) % int(ipv4[2]) %
                         int(ipv4[3]))
                            .str();
    if (found & 2)
        info["ETH_MAC"] = (boost::format("%02X:%02X:%02X:%02X:%02X:%02X") % int(mac[0]) % int(mac[1]) %
                           int(mac[2]) % int(mac[3]) % int(mac[4]) % int(mac[5]))
                              .str();
    return info;
}

}  // namespace

PB::Promise<PB::VariantMap> VelonAPI::getNetworkInterfaceInfo()
{
    VELON_TRACE("VelonAPI::getNetworkInterfaceInfo", "VelonAPI::getNetworkInterfaceInfo()");
    std::weak_ptr<VelonAPI> self = std::static_pointer_cast<VelonAPI>(shared_from_this());
    return pageLocation().then<PB::VariantMap>([self](std::string url) {
        std::shared_ptr<VelonAPI> api = self.lock();
        if (!api)
            throw PB::script_error(Configuration::get_message(false, "err_pobj_01"));
        // The machine's addresses are for a page the user let use the
        // plug-in, like everything else the API gives.
        api->check_initPlugin("getNetworkInterfaceInfo");
        return interface_info(url);
    });
}

int VelonAPI::collect_interface_addresses(std::string host, std::string port, unsigned char* ipv4,
                                          unsigned char* mac)
{
    namespace ip = boost::asio::ip;
    boost::asio::io_context io;
    ip::tcp::socket socket(io);
    try {
        ip::tcp::resolver resolver(io);
        const ip::tcp::resolver::results_type endpoints =
            resolver.resolve(ip::tcp::v4(), host, port, ip::resolver_base::address_configured);
        if (endpoints.empty())
            return 0;
        // Only the first address is tried.
        if (!connect_within_time_out(io, socket, endpoints.begin()->endpoint())) {
            boost::system::error_code ignored;
            socket.close(ignored);
            return 0;
        }
    } catch (const std::exception&) {
        boost::system::error_code ignored;
        socket.close(ignored);
        return 0;
    }

    const ip::tcp::endpoint local = socket.local_endpoint();
    boost::system::error_code ignored;
    if (!local.address().is_v4() || local.address().to_v4().is_unspecified()) {
        socket.close(ignored);
        return 0;
    }
    const ip::address_v4::bytes_type bytes = local.address().to_v4().to_bytes();
    std::memcpy(ipv4, bytes.data(), 4);

    IPAddr destination = 0;
    ::inet_pton(AF_INET, local.address().to_v4().to_string().c_str(), &destination);
    unsigned char hardware[6] = {};
    ULONG length = sizeof hardware;
    const DWORD answer = SendARP(destination, 0, hardware, &length);
    socket.close(ignored);
    if (answer == NO_ERROR && length == 6) {
        std::memcpy(mac, hardware, 6);
        return 3;
    }
    return 1;
}
