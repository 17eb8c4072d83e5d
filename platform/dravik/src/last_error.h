// The per-thread code of the last failure (GetDravikLastError).
#pragma once

namespace dravik {

void setLastError(int code);
int lastError();

}  // namespace dravik
