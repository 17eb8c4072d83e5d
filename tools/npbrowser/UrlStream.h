#pragma once
// A URL the browser delivers to an instance as an NPAPI stream, a step per
// turn of the page's loop: NPP_NewStream; then the bytes through
// NPP_WriteReady and NPP_Write (or the file through NPP_StreamAsFile, as
// the plug-in chose); NPP_DestroyStream; and NPP_URLNotify when the
// plug-in asked to be told. A file that cannot be read, or a stream the
// plug-in refuses, gets only the notification, with NPRES_NETWORK_ERR.
//
// Only local files: the page engine goes to no network. Streams are
// offered as not seekable.

#include <cstddef>
#include <string>

#include <npapi/npfunctions.h>

namespace npbrowser {

class UrlStream {
public:
    struct Request {
        NPP npp;
        std::string url;
        std::string path;  // the local file
        bool notify;
        void* notifyData;
    };

    UrlStream(const NPPluginFuncs& plugin, Request request);
    UrlStream(const UrlStream&) = delete;
    UrlStream& operator=(const UrlStream&) = delete;

    NPP instance() const { return m_request.npp; }
    // The stream the plug-in knows (stable for the object's life).
    const NPStream* stream() const { return &m_stream; }

    // One step of the delivery; false once the stream has ended.
    bool step();
    // The plug-in closes the stream (NPN_DestroyStream): it ends at the next step.
    void cancel(NPReason reason);
    // Ends the stream now (NPP_DestroyStream once opened, NPP_URLNotify when asked for).
    void end(NPReason reason);

private:
    enum class State { Requested, Writing, Ended };

    bool open();
    void notify(NPReason reason);

    const NPPluginFuncs& m_plugin;
    Request m_request;
    NPStream m_stream{};
    State m_state = State::Requested;
    bool m_opened = false;
    bool m_asFile = false;
    bool m_cancelled = false;
    NPReason m_cancelReason = NPRES_DONE;
    std::string m_data;
    std::size_t m_offset = 0;
};

}  // namespace npbrowser
