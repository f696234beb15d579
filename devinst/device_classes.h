#pragma once

#include "platform.h"

// The Ports device class, {4D36E978-E325-11CE-BFC1-08002BE10318}.
constexpr GUID kPortsClassGuid = {
    0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
