// The NPAPI plug-in interface: basic types, result codes, instances, streams,
// windows and the variables a browser and a plug-in ask each other for.
//
// Conventions of this layer: the published field names and numeric values;
// pointer-carrying fields are pointer-sized; every string is UTF-8.
#pragma once

#include <cstdint>

typedef int16_t NPError;
typedef int16_t NPReason;
typedef uint8_t NPBool;
typedef char* NPMIMEType;

// Results of the NPP and NPN functions.
constexpr NPError NPERR_NO_ERROR = 0;
constexpr NPError NPERR_GENERIC_ERROR = 1;
constexpr NPError NPERR_INVALID_INSTANCE_ERROR = 2;
constexpr NPError NPERR_INVALID_FUNCTABLE_ERROR = 3;
constexpr NPError NPERR_MODULE_LOAD_FAILED_ERROR = 4;
constexpr NPError NPERR_OUT_OF_MEMORY_ERROR = 5;
constexpr NPError NPERR_INVALID_PLUGIN_ERROR = 6;
constexpr NPError NPERR_INVALID_PLUGIN_DIR_ERROR = 7;
constexpr NPError NPERR_INCOMPATIBLE_VERSION_ERROR = 8;
constexpr NPError NPERR_INVALID_PARAM = 9;
constexpr NPError NPERR_INVALID_URL = 10;
constexpr NPError NPERR_FILE_NOT_FOUND = 11;
constexpr NPError NPERR_NO_DATA = 12;
constexpr NPError NPERR_STREAM_NOT_SEEKABLE = 13;

// Why a stream or URL request ended.
constexpr NPReason NPRES_DONE = 0;
constexpr NPReason NPRES_NETWORK_ERR = 1;
constexpr NPReason NPRES_USER_BREAK = 2;

// How a stream is delivered (NPP_NewStream's stype).
constexpr uint16_t NP_NORMAL = 1;
constexpr uint16_t NP_SEEK = 2;
constexpr uint16_t NP_ASFILE = 3;
constexpr uint16_t NP_ASFILEONLY = 4;

// Instance modes of NPP_New.
constexpr uint16_t NP_EMBED = 1;
constexpr uint16_t NP_FULL = 2;

// One plug-in instance: pdata is the plug-in's, ndata the browser's.
struct NPP_t {
  void* pdata;
  void* ndata;
};
typedef NPP_t* NPP;

struct NPSavedData {
  int32_t len;
  void* buf;
};

struct NPStream {
  void* pdata;
  void* ndata;
  const char* url;
  uint32_t end;  // total length, 0 when unknown
  uint32_t lastmodified;
  void* notifyData;
  const char* headers;  // response headers, may be null
};

// A list of byte ranges asked for with NPN_RequestRead.
struct NPByteRange {
  int32_t offset;
  uint32_t length;
  NPByteRange* next;
};

struct NPRect {
  uint16_t top;
  uint16_t left;
  uint16_t bottom;
  uint16_t right;
};

typedef void* NPRegion;

enum NPWindowType { NPWindowTypeWindow = 1, NPWindowTypeDrawable = 2 };

// window: the HWND in windowed mode, the HDC in windowless mode.
struct NPWindow {
  void* window;
  int32_t x;
  int32_t y;
  uint32_t width;
  uint32_t height;
  NPRect clipRect;
  NPWindowType type;
};

// A window message handed to a windowless plug-in.
struct NPEvent {
  uint16_t event;
  uintptr_t wParam;
  uintptr_t lParam;
};

struct NPFullPrint {
  NPBool pluginPrinted;
  NPBool printOne;
  void* platformPrint;
};

struct NPEmbedPrint {
  NPWindow window;
  void* platformPrint;
};

struct NPPrint {
  uint16_t mode;  // NP_FULL or NP_EMBED
  union {
    NPFullPrint fullPrint;
    NPEmbedPrint embedPrint;
  } print;
};

// What the browser asks the plug-in for (NPP_GetValue) and what the plug-in
// tells the browser (NPN_SetValue).
enum NPPVariable {
  NPPVpluginNameString = 1,
  NPPVpluginDescriptionString = 2,
  NPPVpluginWindowBool = 3,
  NPPVpluginTransparentBool = 4,
  NPPVjavaClass = 5,
  NPPVpluginWindowSize = 6,
  NPPVpluginTimerInterval = 7,
  NPPVpluginScriptableNPObject = 15
};

// What the plug-in asks the browser for (NPN_GetValue).
enum NPNVariable {
  NPNVxDisplay = 1,
  NPNVxtAppContext = 2,
  NPNVnetscapeWindow = 3,
  NPNVjavascriptEnabledBool = 4,
  NPNVasdEnabledBool = 5,
  NPNVisOfflineBool = 6,
  NPNVWindowNPObject = 15,
  NPNVPluginElementNPObject = 16,
  NPNVSupportsWindowless = 17,
  NPNVprivateModeBool = 18
};

// Per-URL values (NPN_GetValueForURL).
enum NPNURLVariable { NPNURLVCookie = 501, NPNURLVProxy = 502 };

enum NPFocusDirection { NPFocusNext = 0, NPFocusPrevious = 1 };
