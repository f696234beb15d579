// The machine as a whole: every area starts over together, and the handles open in any of them.
#include "cert_store.h"
#include "devices.h"
#include "files.h"
#include "newdev.h"
#include "process.h"
#include "ras.h"
#include "registry.h"
#include "security.h"
#include "serial.h"
#include "wintrust.h"

namespace winsim {

using namespace detail;

void Reset() {
  TheProcess().Reset();
  TheFiles().Reset();
  TheDevices().Reset();
  TheRegistry().Reset();
  TheRas().Reset();
  TheNewdev().Reset();
  TheSerialPorts().Reset();
  TheSecurity().Reset();
  // After the process, whose message texts it adds to.
  TheCertStores().Reset();
  TheWintrust().Reset();
  TheCore().Reset();
  LastError() = 0;
}

int OpenHandles() {
  return static_cast<int>(TheDevices().OpenHandles() + TheRegistry().OpenHandles() +
                          TheFiles().OpenHandles() + TheProcess().OpenHandles() +
                          TheSerialPorts().OpenHandles() + TheSecurity().OpenHandles() +
                          TheCertStores().OpenHandles() + TheWintrust().OpenHandles());
}

}  // namespace winsim
