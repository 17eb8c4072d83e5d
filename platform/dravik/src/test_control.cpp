// The test control of dravik_test.h.
#include "dravik/dravik_test.h"

#include "api_call.h"
#include "buffers.h"
#include "certificate_properties.h"
#include "certificates.h"
#include "clock.h"
#include "container.h"
#include "engine.h"
#include "faults.h"
#include "home.h"
#include "journal.h"
#include "key_file.h"
#include "library.h"
#include "locations.h"
#include "requests.h"
#include "signing.h"
#include "tokens.h"

using namespace dravik;

namespace {

// Test-control calls take the lock but are neither journaled nor forced.
template <typename Body>
int control(Body&& body) {
  std::lock_guard<std::recursive_mutex> lock(libraryMutex());
  return guarded(body);
}

std::string orEmpty(const char* text) { return text ? text : ""; }

}  // namespace

extern "C" DRAVIK_API void DravikTest_Reset(void) {
  control([] {
    resetLibrary();
    forgetHomeFolder();
    clearForcedResults();
    journalClear();
    setFixedTime(0);
    return 0;
  });
}

extern "C" DRAVIK_API int DravikTest_ForceResult(const char* function, uint32_t nth, int code) {
  return control([&] {
    require(function != nullptr, DRAVIK_E_NULL_PARAM);
    require(forceResult(function, nth, code), DRAVIK_E_PARAMETER);
    return 0;
  });
}

extern "C" DRAVIK_API uint32_t DravikTest_JournalSize(void) {
  std::lock_guard<std::recursive_mutex> lock(libraryMutex());
  return journalSize();
}

extern "C" DRAVIK_API int DravikTest_JournalEntry(uint32_t index, DravikJournalEntry* entry) {
  return control([&] {
    require(entry != nullptr, DRAVIK_E_NULL_PARAM);
    require(journalEntry(index, entry), DRAVIK_E_INDEX);
    return 0;
  });
}

extern "C" DRAVIK_API void DravikTest_JournalClear(void) {
  control([] {
    journalClear();
    return 0;
  });
}

extern "C" DRAVIK_API uint32_t DravikTest_LiveBuffers(void) {
  std::lock_guard<std::recursive_mutex> lock(libraryMutex());
  return static_cast<uint32_t>(liveBufferCount());
}

extern "C" DRAVIK_API uint32_t DravikTest_LiveContexts(void) {
  std::lock_guard<std::recursive_mutex> lock(libraryMutex());
  return static_cast<uint32_t>(liveSignContexts() + liveCertificateContexts() + liveRequestContexts());
}

extern "C" DRAVIK_API uint32_t DravikTest_LiveRecords(void) {
  std::lock_guard<std::recursive_mutex> lock(libraryMutex());
  return static_cast<uint32_t>(liveCertificateInfoRecords() + liveRequestInfoRecords());
}

extern "C" DRAVIK_API int DravikTest_InsertToken(const char* device, const char* label, const char* serial,
                                                 const char* slotName, const char* pin) {
  return control([&] {
    require(device != nullptr, DRAVIK_E_NULL_PARAM);
    std::optional<std::string> name = deviceOf(device);
    require(name && *name == device, DRAVIK_E_PARAMETER);
    std::optional<TokenRecord> record = readToken(device);
    if (!record) {
      record = TokenRecord();
      record->label = orEmpty(label);
      record->serial = orEmpty(serial);
      record->slot = orEmpty(slotName);
      if (pin && *pin) record->pin = PasswordVerifier::make(Secret(std::string(pin)));
    }
    record->present = true;
    writeToken(device, *record);
    return 0;
  });
}

extern "C" DRAVIK_API int DravikTest_RemoveToken(const char* device) {
  return control([&] {
    require(device != nullptr, DRAVIK_E_NULL_PARAM);
    std::optional<TokenRecord> record = readToken(device);
    require(record.has_value(), DRAVIK_E_OPEN);
    record->present = false;
    writeToken(device, *record);
    return 0;
  });
}

extern "C" DRAVIK_API int DravikTest_CreateContainer(const char* path, const char* password) {
  return control([&] {
    require(path != nullptr, DRAVIK_E_NULL_PARAM);
    Container::create(locate(path).local, Secret(orEmpty(password)));
    return 0;
  });
}

extern "C" DRAVIK_API int DravikTest_StoreKey(const char* path, const char* password, const char* keyPem,
                                              uint32_t keyPemLength) {
  return control([&] {
    require(path != nullptr && keyPem != nullptr, DRAVIK_E_NULL_PARAM);
    loadGostEngine();
    Container container = Container::open(locate(path).local);
    Secret secret(orEmpty(password));
    require(container.accepts(secret), DRAVIK_E_CONTAINER);
    KeyFile file = KeyFile::parse(std::string(keyPem, keyPemLength));
    require(!file.encrypted(), DRAVIK_E_KEY_DECODE);
    KeyPtr key = file.open(Secret());
    container.store(key.get(), secret);
    return 0;
  });
}

extern "C" DRAVIK_API void DravikTest_SetTime(int64_t secondsSinceEpoch) {
  control([&] {
    setFixedTime(secondsSinceEpoch);
    return 0;
  });
}
