// The stub objects are header-only; this unit keeps the library non-empty.
#include "support/StubObjects.h"
