// The test-side controls of the simulated platform: build a machine, make any operation fail on a
// chosen call, read back what the code under test called, and start over. Each area of the
// machine has its own header below.
#pragma once

#include "winsim/control/call_log.h"
#include "winsim/control/cert_store.h"
#include "winsim/control/devices.h"
#include "winsim/control/files.h"
#include "winsim/control/machine.h"
#include "winsim/control/newdev.h"
#include "winsim/control/power_loss.h"
#include "winsim/control/process.h"
#include "winsim/control/ras.h"
#include "winsim/control/registry.h"
#include "winsim/control/security.h"
#include "winsim/control/serial.h"
#include "winsim/control/values.h"
#include "winsim/control/wintrust.h"
