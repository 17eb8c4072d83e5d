// WinINet stand-in: the system proxy setting.
//
// Consumers link the CMake target `wininet` and write `#include <wininet/wininet.h>`.
//
// The system setting on this platform is the process environment. InternetQueryOptionW with
// INTERNET_OPTION_PROXY answers it as INTERNET_PROXY_INFO:
// - access type INTERNET_OPEN_TYPE_PROXY (3) when any proxy variable is set, else
//   INTERNET_OPEN_TYPE_DIRECT (1);
// - the proxy list: entries separated by single spaces, in this order:
//     all_proxy   -> "socks=host:port" when its scheme is socks, socks4, socks4a, socks5 or
//                    socks5h; otherwise the scheme-less "host:port" (for every scheme)
//     http_proxy  -> "http=host:port"
//     https_proxy -> "https=host:port"
//   so that an entry for a URL's own scheme comes after (and wins over) the general ones;
// - the bypass list: no_proxy's entries separated by ";", a leading "." written "*.";
// - each variable is read in lower case first, then in upper case (HTTP_PROXY...); an empty
//   or unreadable value counts as unset. Values are URLs or host:port; user names and
//   passwords are never copied into the list; a missing port is the scheme's default (http 80,
//   https 443, socks 1080).
//
// The strings follow the structure in the same buffer: the W form answers wide strings
// (LPCWSTR), the A form UTF-8. A caller that reads the W form's list as 8-bit text sees only
// its first character. The size query works as on the platform: a missing or too small buffer
// fails with ERROR_INSUFFICIENT_BUFFER and the needed size in bytes in *bufferLength.
#pragma once

#include <win32/kernel.h>
#include <win32/types.h>

typedef void* HINTERNET;

#define INTERNET_OPTION_PROXY 38

#define INTERNET_OPEN_TYPE_PRECONFIG 0
#define INTERNET_OPEN_TYPE_DIRECT 1
#define INTERNET_OPEN_TYPE_PROXY 3

struct INTERNET_PROXY_INFOW {
  DWORD dwAccessType;
  LPCWSTR lpszProxy;
  LPCWSTR lpszProxyBypass;
};
struct INTERNET_PROXY_INFOA {
  DWORD dwAccessType;
  LPCSTR lpszProxy;
  LPCSTR lpszProxyBypass;
};
typedef INTERNET_PROXY_INFOW INTERNET_PROXY_INFO;

// Handle must be NULL (the process-wide setting); other options fail with
// ERROR_INTERNET_INVALID_OPTION.
BOOL InternetQueryOptionW(HINTERNET handle, DWORD option, LPVOID buffer, LPDWORD bufferLength);
BOOL InternetQueryOptionA(HINTERNET handle, DWORD option, LPVOID buffer, LPDWORD bufferLength);
