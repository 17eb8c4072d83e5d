#include "journal.h"

#include <cstring>
#include <deque>

#include "settings.h"

namespace dravik {
namespace {

constexpr size_t kJournalLimit = 65536;

struct Journal {
  std::deque<DravikJournalEntry> entries;
  uint32_t sequence = 0;
};

Journal& journal() {
  static Journal instance;
  return instance;
}

void copyText(char* target, size_t capacity, const std::string& text) {
  size_t length = text.size() < capacity - 1 ? text.size() : capacity - 1;
  std::memcpy(target, text.data(), length);
  target[length] = '\0';
}

}  // namespace

DravikJournalEntry journalBegin(const char* function, const std::string& arguments) {
  DravikJournalEntry entry;
  std::memset(&entry, 0, sizeof entry);
  entry.sequence = ++journal().sequence;
  copyText(entry.function, sizeof entry.function, function);
  copyText(entry.arguments, sizeof entry.arguments, arguments);
  const Settings& s = settings();
  entry.pkcs7Flags = s.pkcs7Flags;
  entry.verifyFlags = s.verifyFlags;
  entry.requestFlags = s.requestFlags;
  entry.outputFormat = s.outputFormat;
  entry.inputCodePage = s.inputCodePage;
  entry.outputCodePage = s.outputCodePage;
  entry.insertCertificate = s.insertCertificate ? 1 : 0;
  entry.insertSigningTime = s.insertSigningTime ? 1 : 0;
  return entry;
}

void journalAppend(const DravikJournalEntry& entry) {
  Journal& j = journal();
  if (j.entries.size() == kJournalLimit) j.entries.pop_front();
  j.entries.push_back(entry);
}

uint32_t journalSize() { return static_cast<uint32_t>(journal().entries.size()); }

bool journalEntry(uint32_t index, DravikJournalEntry* entry) {
  const Journal& j = journal();
  if (index >= j.entries.size()) return false;
  *entry = j.entries[index];
  return true;
}

void journalClear() {
  journal().entries.clear();
  journal().sequence = 0;
}

}  // namespace dravik
