#include "NpapiCore/NpapiBrowserFuncs.h"

#include <cstddef>

namespace PB {
namespace Npapi {

namespace {
// The browser table's version from which each group of entries exists.
constexpr int asyncSurfaceVersion = 13;
constexpr int popupsVersion = 16;
constexpr int enumerateVersion = 18;
constexpr int asyncCallVersion = 19;
constexpr int urlValueVersion = 21;
constexpr int timerVersion = 23;
}  // namespace

bool copyNPBrowserFuncs(NPNetscapeFuncs* dst, const NPNetscapeFuncs* src)
{
    if (!dst || !src || src->size < offsetof(NPNetscapeFuncs, version) + sizeof(src->version))
        return false;
    const std::size_t size = src->size;
    const int version = src->version;
#define PB_COPY_ENTRY(field)                                                       \
    if (offsetof(NPNetscapeFuncs, field) + sizeof(src->field) <= size)             \
        dst->field = src->field;
    dst->size = src->size;
    dst->version = src->version;
    PB_COPY_ENTRY(geturl)
    PB_COPY_ENTRY(posturl)
    PB_COPY_ENTRY(requestread)
    PB_COPY_ENTRY(newstream)
    PB_COPY_ENTRY(write)
    PB_COPY_ENTRY(destroystream)
    PB_COPY_ENTRY(status)
    PB_COPY_ENTRY(uagent)
    PB_COPY_ENTRY(memalloc)
    PB_COPY_ENTRY(memfree)
    PB_COPY_ENTRY(memflush)
    PB_COPY_ENTRY(reloadplugins)
    PB_COPY_ENTRY(geturlnotify)
    PB_COPY_ENTRY(posturlnotify)
    PB_COPY_ENTRY(getvalue)
    PB_COPY_ENTRY(setvalue)
    PB_COPY_ENTRY(invalidaterect)
    PB_COPY_ENTRY(invalidateregion)
    PB_COPY_ENTRY(forceredraw)
    PB_COPY_ENTRY(getstringidentifier)
    PB_COPY_ENTRY(getstringidentifiers)
    PB_COPY_ENTRY(getintidentifier)
    PB_COPY_ENTRY(identifierisstring)
    PB_COPY_ENTRY(utf8fromidentifier)
    PB_COPY_ENTRY(intfromidentifier)
    PB_COPY_ENTRY(createobject)
    PB_COPY_ENTRY(retainobject)
    PB_COPY_ENTRY(releaseobject)
    PB_COPY_ENTRY(invoke)
    PB_COPY_ENTRY(invokeDefault)
    PB_COPY_ENTRY(evaluate)
    PB_COPY_ENTRY(getproperty)
    PB_COPY_ENTRY(setproperty)
    PB_COPY_ENTRY(removeproperty)
    PB_COPY_ENTRY(hasproperty)
    PB_COPY_ENTRY(hasmethod)
    PB_COPY_ENTRY(releasevariantvalue)
    PB_COPY_ENTRY(setexception)
    PB_COPY_ENTRY(construct)
    if (version >= timerVersion) {
        PB_COPY_ENTRY(scheduletimer)
        PB_COPY_ENTRY(unscheduletimer)
    }
    if (version >= asyncSurfaceVersion) {
        PB_COPY_ENTRY(initasyncsurface)
        PB_COPY_ENTRY(finalizeasyncsurface)
        PB_COPY_ENTRY(setcurrentasyncsurface)
    }
    if (version >= popupsVersion) {
        PB_COPY_ENTRY(pushpopupsenabledstate)
        PB_COPY_ENTRY(poppopupsenabledstate)
    }
    if (version >= enumerateVersion) {
        PB_COPY_ENTRY(enumerate)
    }
    if (version >= asyncCallVersion) {
        PB_COPY_ENTRY(pluginthreadasynccall)
    }
    if (version >= urlValueVersion) {
        PB_COPY_ENTRY(getvalueforurl)
        PB_COPY_ENTRY(setvalueforurl)
        PB_COPY_ENTRY(getauthenticationinfo)
    }
#undef PB_COPY_ENTRY
    return true;
}

}  // namespace Npapi
}  // namespace PB
