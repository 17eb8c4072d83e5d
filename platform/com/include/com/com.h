// Our own COM layer: one header for all of it.
//
// Consumers link the CMake target `com` and include this header, or the headers of the concepts
// they use:
//   com/types.h       basic types (conventions of the layer are stated there)
//   com/hresult.h     HRESULT values
//   com/guid.h        GUIDs and their text form, the IID of each interface type
//   com/unknown.h     IUnknown, IClassFactory, helpers for objects of our own
//   com/comptr.h      ComPtr, the owner of a reference
//   com/memory.h      task memory and global memory blocks
//   com/bstr.h        BSTR and the UTF-16 conversions
//   com/variant.h     VARIANT and its functions
//   com/safearray.h   SAFEARRAY
//   com/dispatch.h    IDispatch, IDispatchEx, IServiceProvider
//   com/typelib.h     type libraries and their registration
//   com/connection.h  connection points, the property-change sink
//   com/view.h        drawing an object for its container, advise sinks
//   com/control.h     control and container interfaces
//   com/controlbase.h the ordinary behaviour of a control (our own API)
//   com/mshtml.h      the page's objects and the browser
//   com/urlmon.h      URL monikers
//   com/registry.h    the in-memory registry (our own API)
//   com/registrar.h   registry scripts (our own API)
//   com/resources.h   resources of modules (our own API)
//   com/psapi.h       the process's modules
//   com/nls.h         the thread's locale
//   com/libraries.h   run-time lookup of system library exports
#pragma once

#include <com/bstr.h>
#include <com/comptr.h>
#include <com/connection.h>
#include <com/control.h>
#include <com/controlbase.h>
#include <com/dispatch.h>
#include <com/guid.h>
#include <com/hresult.h>
#include <com/libraries.h>
#include <com/memory.h>
#include <com/mshtml.h>
#include <com/nls.h>
#include <com/psapi.h>
#include <com/registrar.h>
#include <com/registry.h>
#include <com/resources.h>
#include <com/safearray.h>
#include <com/typelib.h>
#include <com/types.h>
#include <com/unknown.h>
#include <com/urlmon.h>
#include <com/variant.h>
#include <com/view.h>
