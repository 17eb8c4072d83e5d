// InternetQueryOption for the proxy setting.
#include <wininet/wininet.h>

#include <win32/desktop.h>

#include <cstring>
#include <string>

#include "ProxySetting.h"

namespace {

template <class Info, class Char>
BOOL answerProxy(LPVOID buffer, LPDWORD bufferLength, const std::basic_string<Char>& list,
                 const std::basic_string<Char>& bypass, DWORD accessType) {
  // The structure, then the two strings with their terminators, in one buffer.
  size_t listBytes = (list.size() + 1) * sizeof(Char);
  size_t needed = sizeof(Info) + listBytes + (bypass.size() + 1) * sizeof(Char);
  if (!buffer || *bufferLength < needed) {
    *bufferLength = static_cast<DWORD>(needed);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  auto* bytes = static_cast<unsigned char*>(buffer);
  auto* listCopy = reinterpret_cast<Char*>(bytes + sizeof(Info));
  auto* bypassCopy = reinterpret_cast<Char*>(bytes + sizeof(Info) + listBytes);
  std::memcpy(listCopy, list.c_str(), listBytes);
  std::memcpy(bypassCopy, bypass.c_str(), (bypass.size() + 1) * sizeof(Char));
  Info info{};
  info.dwAccessType = accessType;
  info.lpszProxy = listCopy;
  info.lpszProxyBypass = bypassCopy;
  std::memcpy(buffer, &info, sizeof info);
  *bufferLength = static_cast<DWORD>(needed);
  return TRUE;
}

bool checkRequest(const char* api, HINTERNET handle, DWORD option, LPDWORD bufferLength) {
  win32::desktop::record(api, std::to_string(option));
  if (!bufferLength) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (handle) {
    SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    return false;
  }
  if (option != INTERNET_OPTION_PROXY) {
    SetLastError(ERROR_INTERNET_INVALID_OPTION);
    return false;
  }
  return true;
}

std::wstring widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

DWORD accessTypeOf(const wininet::ProxySetting& setting) {
  return setting.useProxy ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_DIRECT;
}

}  // namespace

BOOL InternetQueryOptionW(HINTERNET handle, DWORD option, LPVOID buffer, LPDWORD bufferLength) {
  if (!checkRequest("InternetQueryOptionW", handle, option, bufferLength)) return FALSE;
  wininet::ProxySetting setting = wininet::readProxySetting();
  return answerProxy<INTERNET_PROXY_INFOW, wchar_t>(buffer, bufferLength, widen(setting.proxyList),
                                                    widen(setting.bypassList), accessTypeOf(setting));
}

BOOL InternetQueryOptionA(HINTERNET handle, DWORD option, LPVOID buffer, LPDWORD bufferLength) {
  if (!checkRequest("InternetQueryOptionA", handle, option, bufferLength)) return FALSE;
  wininet::ProxySetting setting = wininet::readProxySetting();
  return answerProxy<INTERNET_PROXY_INFOA, char>(buffer, bufferLength, setting.proxyList,
                                                 setting.bypassList, accessTypeOf(setting));
}
