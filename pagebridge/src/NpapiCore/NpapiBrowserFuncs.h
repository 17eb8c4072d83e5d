#pragma once
// Copying the browser's function table into a table of our own.

#include <npapi/npfunctions.h>

namespace PB {
namespace Npapi {

// Copies, entry by entry, what the source's version provides (entries of
// later versions are left as the destination has them), never reading past
// the byte length the browser gave in its size. False, with nothing
// copied, for a table too short to carry its own version.
bool copyNPBrowserFuncs(NPNetscapeFuncs* dst, const NPNetscapeFuncs* src);

}  // namespace Npapi
}  // namespace PB
