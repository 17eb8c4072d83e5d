#include "UrlStream.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>

namespace npbrowser {

namespace {

// Bytes offered per write at most, so that a large file takes several turns.
constexpr std::size_t kBlockSize = 65536;

char kMimeType[] = "application/octet-stream";

}  // namespace

UrlStream::UrlStream(const NPPluginFuncs& plugin, Request request) : m_plugin(plugin), m_request(std::move(request))
{
}

bool UrlStream::step()
{
    if (m_state == State::Ended)
        return false;
    if (m_cancelled) {
        end(m_cancelReason);
        return false;
    }
    if (m_state == State::Requested)
        return open();
    if (m_offset >= m_data.size()) {
        if (m_asFile && m_plugin.asfile)
            m_plugin.asfile(m_request.npp, &m_stream, m_request.path.c_str());
        end(NPRES_DONE);
        return false;
    }
    // A plug-in not ready for more is offered the bytes again on a later turn.
    const int32_t ready = m_plugin.writeready ? m_plugin.writeready(m_request.npp, &m_stream) : 0;
    if (ready <= 0 || m_cancelled)
        return true;
    const std::size_t count =
        std::min({static_cast<std::size_t>(ready), m_data.size() - m_offset, kBlockSize});
    const int32_t written = m_plugin.write ? m_plugin.write(m_request.npp, &m_stream, static_cast<int32_t>(m_offset),
                                                            static_cast<int32_t>(count), &m_data[m_offset])
                                           : -1;
    if (written < 0) {
        end(NPRES_NETWORK_ERR);
        return false;
    }
    m_offset += std::min(static_cast<std::size_t>(written), count);
    return true;
}

bool UrlStream::open()
{
    std::ifstream in(m_request.path, std::ios::binary);
    if (in)
        m_data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in || in.bad() || m_data.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()) ||
        !m_plugin.newstream) {
        notify(NPRES_NETWORK_ERR);
        m_state = State::Ended;
        return false;
    }
    m_stream.ndata = this;
    m_stream.url = m_request.url.c_str();
    m_stream.end = static_cast<uint32_t>(m_data.size());
    m_stream.notifyData = m_request.notifyData;
    uint16_t type = NP_NORMAL;
    if (m_plugin.newstream(m_request.npp, kMimeType, &m_stream, false, &type) != NPERR_NO_ERROR) {
        notify(NPRES_NETWORK_ERR);
        m_state = State::Ended;
        return false;
    }
    m_opened = true;
    m_state = State::Writing;
    if (type == NP_ASFILEONLY) {
        if (m_plugin.asfile)
            m_plugin.asfile(m_request.npp, &m_stream, m_request.path.c_str());
        end(NPRES_DONE);
        return false;
    }
    // NP_SEEK on a stream offered as not seekable is served as a normal one.
    m_asFile = type == NP_ASFILE;
    return true;
}

void UrlStream::cancel(NPReason reason)
{
    if (m_cancelled)
        return;
    m_cancelled = true;
    m_cancelReason = reason;
}

void UrlStream::end(NPReason reason)
{
    if (m_state == State::Ended)
        return;
    m_state = State::Ended;
    if (m_opened && m_plugin.destroystream)
        m_plugin.destroystream(m_request.npp, &m_stream, reason);
    notify(reason);
}

void UrlStream::notify(NPReason reason)
{
    if (m_request.notify && m_plugin.urlnotify)
        m_plugin.urlnotify(m_request.npp, m_request.url.c_str(), reason, m_request.notifyData);
}

}  // namespace npbrowser
