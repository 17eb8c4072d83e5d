// Kernel stand-ins: last error, system message texts, local memory, thread identity,
// code-page conversion, arithmetic helpers and the module handle.
//
// The system code page (CP_ACP, CP_OEMCP, CP_THREAD_ACP) is UTF-8 on this platform.
#pragma once

#include <win32/types.h>

#include <cstdarg>

// Error codes.
#define ERROR_SUCCESS 0L
#define NO_ERROR 0L
#define ERROR_INVALID_FUNCTION 1L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_MR_MID_NOT_FOUND 317L
#define ERROR_INVALID_FLAGS 1004L
#define ERROR_NO_UNICODE_TRANSLATION 1113L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_INVALID_MENU_HANDLE 1401L
#define ERROR_INVALID_CURSOR_HANDLE 1402L
#define ERROR_TLW_WITH_WSCHILD 1406L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_WINDOW_OF_OTHER_THREAD 1408L
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_CLASS_DOES_NOT_EXIST 1411L
#define ERROR_CLASS_HAS_WINDOWS 1412L
#define ERROR_INVALID_INDEX 1413L
#define ERROR_INVALID_ICON_HANDLE 1414L
#define ERROR_CONTROL_ID_NOT_FOUND 1421L
#define ERROR_NOT_CHILD_WINDOW 1442L
#define ERROR_INVALID_GW_COMMAND 1443L
#define ERROR_INVALID_THREAD_ID 1444L
#define ERROR_TIMEOUT 1460L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_INTERNET_INVALID_OPTION 12009L
#define ERROR_INTERNET_BAD_OPTION_LENGTH 12010L
#define ERROR_INTERNET_INCORRECT_HANDLE_TYPE 12018L

DWORD GetLastError();
void SetLastError(DWORD code);

// FormatMessage flags.
#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FF
#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))

// Only FORMAT_MESSAGE_FROM_SYSTEM (with or without FORMAT_MESSAGE_ALLOCATE_BUFFER) is served:
// the system's text for an error code, ending in "\r\n". With FORMAT_MESSAGE_ALLOCATE_BUFFER,
// lpBuffer is really a pointer to the pointer that receives a LocalAlloc'ed text.
// Inserts are never expanded. Unknown codes fail with ERROR_MR_MID_NOT_FOUND.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, va_list* arguments);
DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                     DWORD size, va_list* arguments);

// Local memory.
#define LMEM_FIXED 0x0000
#define LMEM_ZEROINIT 0x0040
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
// Returns NULL on success, as the platform does.
HLOCAL LocalFree(HLOCAL memory);

// Thread and process identity. Thread ids are small numbers given per thread on first use and
// never reused within the process.
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();
DWORD GetTickCount();

// The module handle of the process (and of this library: one image here). Any other module name
// fails with ERROR_MOD_NOT_FOUND.
HMODULE GetModuleHandleW(LPCWSTR moduleName);

// (a * b) / c rounded half away from zero; -1 when c is 0 or the result overflows.
int MulDiv(int a, int b, int c);

// Drives: the desktop's list of drive roots (desktop.h, Settings::drives), by default the one
// file-system root "/" as a fixed drive.
#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6
// Writes the roots as "root\0root\0\0" and answers the characters written without the last
// NUL; when bufferLength is too small, writes nothing and answers the length needed with it.
DWORD GetLogicalDriveStringsW(DWORD bufferLength, LPWSTR buffer);
// The type of a listed root (exact text); DRIVE_NO_ROOT_DIR for any other. NULL asks for "/".
UINT GetDriveTypeW(LPCWSTR rootPath);

// Temporary files.
#ifndef MAX_PATH
#define MAX_PATH 260
#endif
#define ERROR_BUFFER_OVERFLOW 111L
// The folder for temporary files: $TMPDIR when set and not empty, else "/tmp", always ending
// in "/". Writes it with its NUL and answers its length without the NUL when bufferLength
// holds it; otherwise writes nothing and answers the length needed with the NUL.
DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer);
// The name "<path>/<first three characters of prefix><number in upper-case hex>.TMP" in
// tempFileName (MAX_PATH characters). unique 0: a number whose name no file has is chosen and
// the file is created, empty and readable by its owner only; otherwise the name is only made.
// Answers the number used; 0 on failure (ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED,
// ERROR_BUFFER_OVERFLOW for a name beyond MAX_PATH, ERROR_INVALID_PARAMETER).
UINT GetTempFileNameW(LPCWSTR pathName, LPCWSTR prefixString, UINT unique, LPWSTR tempFileName);

// Code pages. The system ANSI and OEM code pages are UTF-8.
#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_ERR_INVALID_CHARS 0x00000080

// Wide text is UTF-32 (one wchar_t per code point). Invalid input (bad UTF-8 sequences, wide
// values that are surrogates or above U+10FFFF) is replaced by U+FFFD, or fails with
// ERROR_NO_UNICODE_TRANSLATION under MB_ERR_INVALID_CHARS / WC_ERR_INVALID_CHARS.
// A length of -1 means "up to and including the terminating NUL". Other code pages fail with
// ERROR_INVALID_PARAMETER; defaultChar and usedDefaultChar must be NULL for UTF-8, as on the
// platform.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength,
                        LPWSTR wide, int wideLength);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR multiByte,
                        int multiByteLength, LPCSTR defaultChar, LPBOOL usedDefaultChar);
