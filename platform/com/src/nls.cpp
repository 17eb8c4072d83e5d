#include <com/nls.h>

namespace {
thread_local LCID t_locale = 0x0409;
}

LCID GetThreadLocale() { return t_locale; }

BOOL SetThreadLocale(LCID locale) {
  t_locale = locale;
  return TRUE;
}
