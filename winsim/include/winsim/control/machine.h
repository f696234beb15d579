// The simulated machine as a whole: starting over, and the handles still open.
#pragma once

namespace winsim {

// Back to an empty machine: no devices or files, every fault and the call log cleared, the
// last-error code 0, the system's message texts, newdev.dll and wintrust.dll as on Windows, and no
// handle open.
void Reset();

// Device sets, keys, find handles, files, modules, local allocations, tokens, SIDs, certificate
// stores, certificate contexts and catalogs not yet released.
int OpenHandles();

}  // namespace winsim
