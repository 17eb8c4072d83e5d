#include "NpapiCore/NpapiPlugin.h"

#include <algorithm>
#include <cstdint>

#include "NpapiCore/NPJavascriptObject.h"
#include "NpapiCore/NpapiBrowserHost.h"
#include "NpapiCore/NpapiStream.h"
#include "NpapiCore/PluginCreateError.h"
#include "PluginCore/BrowserStreamRequest.h"
#include "PluginCore/HttpHeaders.h"
#include "PluginCore/PluginInfo.h"
#include "PluginCore/SimpleStreamHelper.h"
#include "ScriptingCore/Log.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace Npapi {

namespace {

void traceGetValue(const char* what)
{
    Log::trace("PluginCore", what, __FILE__, __LINE__, "PB::Npapi::NpapiPlugin::GetValue");
}

// The stream object behind a browser stream, held for the length of the
// call: an event may make it let go of itself.
std::shared_ptr<NpapiStream> streamOf(void* data)
{
    if (!data)
        return nullptr;
    std::shared_ptr<PluginEventSource> source = static_cast<NpapiStream*>(data)->weak_from_this().lock();
    return std::static_pointer_cast<NpapiStream>(std::static_pointer_cast<BrowserStream>(source));
}

}  // namespace

NpapiPlugin::NpapiPlugin(const std::shared_ptr<NpapiBrowserHost>& host, const std::string& mimetype)
    : BrowserPlugin(mimetype), m_npHost(host), m_mimetype(mimetype)
{
    if (!pluginMain)
        throw PluginCreateError("No plug-in for MIME type " + mimetype);
    m_pluginName = getPluginName(mimetype);
    m_pluginDesc = getPluginDescription(mimetype);
    pluginMain->setHost(host);
}

NpapiPlugin::~NpapiPlugin()
{
    if (m_obj)
        m_npHost->ReleaseObject(m_obj);
    m_obj = nullptr;
}

void NpapiPlugin::shutdown()
{
    pluginMain->ClearWindow();
    pluginMain->shutdown();
}

void NpapiPlugin::init(NPMIMEType, int16_t argc, char* argn[], char* argv[])
{
    VariantMap params;
    for (int16_t i = 0; argn && argv && i < argc; ++i) {
        if (!argn[i] || !argv[i])
            continue;
        params[argn[i]] = variant(std::string(argv[i]));
    }
    pluginMain->setParams(params);
    setReady();
}

bool NpapiPlugin::setReady()
{
    if (m_isReady)
        return false;
    m_isReady = pluginMain->setReady();
    return m_isReady;
}

NPError NpapiPlugin::SetWindow(NPWindow*)
{
    return NPERR_NO_ERROR;
}

NPObject* NpapiPlugin::getScriptableObject()
{
    if (!m_obj)
        m_obj = NPJavascriptObject::create(m_npHost, pluginMain->getRootJSAPI(), false);
    if (m_obj && m_retainReturnedNPObject)
        m_npHost->RetainObject(m_obj);
    return m_obj;
}

NPError NpapiPlugin::GetValue(NPPVariable variable, void* value)
{
    switch (variable) {
    case NPPVpluginNameString:
        traceGetValue("GetValue(NPPVpluginNameString)");
        *static_cast<const char**>(value) = m_pluginName.c_str();
        return NPERR_NO_ERROR;
    case NPPVpluginDescriptionString:
        traceGetValue("GetValue(NPPVpluginDescriptionString)");
        *static_cast<const char**>(value) = m_pluginDesc.c_str();
        return NPERR_NO_ERROR;
    case NPPVpluginScriptableNPObject:
        traceGetValue("GetValue(NPPVpluginScriptableNPObject)");
        *static_cast<NPObject**>(value) = getScriptableObject();
        return NPERR_NO_ERROR;
    default:
        traceGetValue("GetValue(Unknown)");
        return NPERR_GENERIC_ERROR;
    }
}

NPError NpapiPlugin::SetValue(NPNVariable, void*)
{
    return NPERR_NO_ERROR;
}

void NpapiPlugin::Print(NPPrint*) {}

int16_t NpapiPlugin::HandleEvent(void*)
{
    return 0;
}

NPError NpapiPlugin::NewStream(NPMIMEType type, NPStream* stream, NPBool seekable, uint16_t* stype)
{
    if (stream->notifyData && !stream->pdata)
        stream->pdata = stream->notifyData;
    std::shared_ptr<NpapiStream> s;
    if (!stream->pdata) {
        // Opened by the browser on its own: only a plug-in that asks for it gets it.
        BrowserStreamRequest req(stream->url ? stream->url : "", "GET", false);
        if (stream->headers)
            req.headers = parseHttpHeaders(stream->headers);
        req.lastModified = stream->lastmodified;
        req.seekable = seekable != 0;
        pluginMain->handleUnsolicitedStream(req);
        if (!req.isAccepted())
            return NPERR_NO_ERROR;
        BrowserStreamPtr created = m_npHost->createUnsolicitedStream(req);
        if (!created)
            return NPERR_NO_ERROR;
        if (!req.getEventSink()) {
            if (req.getCallback())
                SimpleStreamHelper::AsyncRequest(m_npHost, created, req);
            else
                Log::warn("NpapiPlugin", "Unsolicited request accepted but no callback or sink provided", __FILE__,
                          __LINE__, "PB::Npapi::NpapiPlugin::NewStream");
        } else {
            created->AttachObserver(req.getEventSink());
        }
        s = std::dynamic_pointer_cast<NpapiStream>(created);
        stream->pdata = s.get();
        if (!s)
            return NPERR_NO_ERROR;
    } else {
        s = streamOf(stream->pdata);
        if (!s)
            return NPERR_GENERIC_ERROR;
    }
    s->setMimeType(type ? type : "");
    s->setStream(stream);
    s->setLength(stream->end);
    s->setUrl(stream->url ? stream->url : "");
    if (stream->headers)
        s->setHeaders(stream->headers);
    s->setSeekable(seekable != 0);
    if (s->isSeekRequested() && !s->isSeekable()) {
        s->signalFailedOpen();
        s->setStream(nullptr);
        return NPERR_STREAM_NOT_SEEKABLE;
    }
    if (s->isSeekEnabled())
        *stype = NP_SEEK;
    else if (s->isCached())
        *stype = NP_ASFILE;
    else
        *stype = NP_NORMAL;
    if (!s->isCompleted())
        s->signalOpened();
    return NPERR_NO_ERROR;
}

NPError NpapiPlugin::DestroyStream(NPStream* stream, NPReason reason)
{
    std::shared_ptr<NpapiStream> s = streamOf(stream->pdata);
    if (!s)
        return NPERR_NO_ERROR;
    stream->pdata = nullptr;
    stream->notifyData = nullptr;
    // Also after the plug-in closed it: the browser is done with the stream.
    s->signalDestroyed(reason == NPRES_DONE);
    return NPERR_NO_ERROR;
}

int32_t NpapiPlugin::WriteReady(NPStream* stream)
{
    std::shared_ptr<NpapiStream> s = streamOf(stream->pdata);
    if (!s)
        return -1;
    return static_cast<int32_t>(std::min<std::size_t>(s->getInternalBufferSize(), INT32_MAX));
}

int32_t NpapiPlugin::Write(NPStream* stream, int32_t offset, int32_t len, void* buffer)
{
    std::shared_ptr<NpapiStream> s = streamOf(stream->pdata);
    // A negative position or count, or bytes that are not there, end the stream.
    if (!s || offset < 0 || len < 0 || (len > 0 && !buffer))
        return -1;
    return s->signalDataArrived(buffer, len, offset);
}

void NpapiPlugin::StreamAsFile(NPStream* stream, const char* fname)
{
    std::shared_ptr<NpapiStream> s = streamOf(stream->pdata);
    if (s && fname)
        s->signalCacheFilename(utf8_to_wstring(fname));
}

void NpapiPlugin::URLNotify(const char*, NPReason reason, void* notifyData)
{
    std::shared_ptr<NpapiStream> s = streamOf(notifyData);
    if (!s)
        return;
    s->signalFinished(reason == NPRES_DONE);
    // A stream the browser never opened gets no NPP_DestroyStream. One it
    // opened stays for that call, which reaches it through pdata, also when
    // the end of the transfer has detached it already.
    if (!s->wasOpenedByBrowser())
        s->setStreamDestroyed();
    s->setUrlNotified();
}

}  // namespace Npapi
}  // namespace PB
