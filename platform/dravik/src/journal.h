// The journal of calls that the test control reads back.
#pragma once

#include <cstdint>
#include <string>

#include "dravik/dravik_test.h"

namespace dravik {

// Starts an entry with the settings in force now; the caller fills the result.
DravikJournalEntry journalBegin(const char* function, const std::string& arguments);
void journalAppend(const DravikJournalEntry& entry);
uint32_t journalSize();
bool journalEntry(uint32_t index, DravikJournalEntry* entry);
void journalClear();

}  // namespace dravik
