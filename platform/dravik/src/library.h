// The library's life cycle: the counted initialisation and the reset of all
// process-wide state.
#pragma once

namespace dravik {

// Drops every process-wide state (settings, callbacks, the request being
// built, the key-generation choice, trust material, cached keys, token
// logins) and forgets the init count.
void resetLibrary();

}  // namespace dravik
