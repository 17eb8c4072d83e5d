/*
 * dravik test control: lets tests of the library and of its callers reset the
 * library, make chosen calls fail, read what was called with which settings,
 * count what is still held, and stand in for hardware (tokens, clock).
 * Not for production use. These functions take the library's lock but are
 * neither journaled nor subject to forced results, and need no PKCS7Init.
 */
#ifndef DRAVIK_DRAVIK_TEST_H
#define DRAVIK_DRAVIK_TEST_H

#include <stdint.h>

#include "dravik/dravik.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Back to the state of a freshly loaded library: not initialised (any count
 * of PKCS7Init forgotten), default settings, no callbacks, no trust material,
 * no cached passwords, keys or token logins, no forced results, an empty
 * journal, the real clock. Handles still held stay valid and counted. */
DRAVIK_API void DravikTest_Reset(void);

/* The nth call (1 = the next one) of the named function from now on does
 * nothing and reports code instead: an int function returns it (the yes/no
 * functions too), a pointer function returns NULL with code as last error.
 * 0 on success, 159 for a NULL name, 207 for an unknown name or nth 0. */
DRAVIK_API int DravikTest_ForceResult(const char* function, uint32_t nth, int code);

/* Journal of calls, oldest first (at most the last 65536 are kept). Every
 * exported function is recorded except GetDravikLastError and
 * GetKeyFileNameForPassword; calls made from inside callbacks appear too. */
typedef struct DravikJournalEntry {
  uint32_t sequence;      /* counts the calls since the last reset, from 1       */
  char function[48];      /* e.g. "SignBufferEx"                                  */
  char arguments[464];    /* e.g. "path=C:/k, password=***, certificate=<812 bytes>":
                             passwords, PINs and data are never shown            */
  int32_t result;         /* the int result; for pointer results the last error */
  /* Settings in force when the call began. */
  uint32_t pkcs7Flags;
  uint32_t verifyFlags;
  uint32_t requestFlags;
  int32_t outputFormat;
  int32_t inputCodePage;
  int32_t outputCodePage;
  int32_t insertCertificate;
  int32_t insertSigningTime;
} DravikJournalEntry;

DRAVIK_API uint32_t DravikTest_JournalSize(void);
/* Copies entry index (0 = oldest kept). 159 for NULL, 206 beyond the end. */
DRAVIK_API int DravikTest_JournalEntry(uint32_t index, DravikJournalEntry* entry);
DRAVIK_API void DravikTest_JournalClear(void);

/* Live counts: buffers and texts not yet released, signing, certificate and
 * request contexts, certificate and request information records. */
DRAVIK_API uint32_t DravikTest_LiveBuffers(void);
DRAVIK_API uint32_t DravikTest_LiveContexts(void);
DRAVIK_API uint32_t DravikTest_LiveRecords(void);

/* Tokens under the home folder of the initialised library (or of DRAVIK_HOME
 * when not initialised). Insert creates the token when it does not exist
 * (label, serial, slot name and PIN; a NULL or empty PIN means no PIN) or
 * marks an existing one present, keeping its data. Remove marks it absent.
 * 159 for a NULL device, 207 when device is not a device path, 216 when the
 * token's folder cannot be written, 208 when removing an unknown token. */
DRAVIK_API int DravikTest_InsertToken(const char* device, const char* label, const char* serial,
                                      const char* slotName, const char* pin);
DRAVIK_API int DravikTest_RemoveToken(const char* device);

/* Key containers, as PSE_Generation makes them, for material made outside the
 * library: create
 * an empty container folder at path (a file-system or token path) under
 * password (NULL: empty); store a private key given as unencrypted PKCS#8
 * (PEM or DER) into it under that password. 195 when a container exists
 * already, 169 for a wrong password or no container, 191 for a key that
 * cannot be read, 178 when the GOST engine cannot be loaded. */
DRAVIK_API int DravikTest_CreateContainer(const char* path, const char* password);
DRAVIK_API int DravikTest_StoreKey(const char* path, const char* password, const char* keyPem,
                                   uint32_t keyPemLength);

/* The time certificates are verified at and signing times are stamped with,
 * in seconds since 1970 (UTC); 0 returns to the clock. */
DRAVIK_API void DravikTest_SetTime(int64_t secondsSinceEpoch);

#ifdef __cplusplus
}
#endif

#endif /* DRAVIK_DRAVIK_TEST_H */
