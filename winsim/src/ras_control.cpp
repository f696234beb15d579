// The tests' hold on the remote-access service.
#include "ras.h"

namespace winsim {

void SetPhonebookWithFrameSize(bool withFrameSize) {
  detail::TheRas().phonebookWithFrameSize = withFrameSize;
}

}  // namespace winsim
