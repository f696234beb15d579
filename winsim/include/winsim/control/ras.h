// The remote-access service.
#pragma once

namespace winsim {

// Whether the remote-access service writes "IpFrameSize=" into an entry, as before Windows Vista.
void SetPhonebookWithFrameSize(bool withFrameSize);

}  // namespace winsim
