// The thread's locale.
#pragma once

#include <com/types.h>

// 0x0409 until the thread sets another.
LCID GetThreadLocale();
BOOL SetThreadLocale(LCID locale);
