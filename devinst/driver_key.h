// A device's driver key, in the steps the platform takes: register the element, create or open
// its driver key, set or query a value.
#pragma once

#include <cstddef>

#include "platform.h"
#include "step_result.h"
#include "unique_handle.h"

// Registers the element as a device; an element already registered (every present device) stays
// as it is.
StepResult RegisterDevice(HDEVINFO set, SP_DEVINFO_DATA& element);
// Creates the element's driver key, or opens it when it is there already.
StepResult CreateDriverKey(HDEVINFO set, SP_DEVINFO_DATA& element, DeviceRegKey& key);
// Opens the element's existing driver key with full access.
StepResult OpenDriverKey(HDEVINFO set, SP_DEVINFO_DATA& element, DeviceRegKey& key);
// Sets the REG_SZ value: the text's bytes and its NUL.
StepResult SetValue(HKEY key, const char* valueName, const char* valueData);
// Reads a string value into `buffer` (`capacity` bytes). The buffer changes only when the read
// succeeds, and then always holds a NUL-terminated text.
StepResult QueryValue(HKEY key, const char* valueName, char* buffer, size_t capacity);

// Register, open the driver key, set the value: a present device's value. The key is reached
// unless the result failed at kRegister or kOpenDriverKey; a failure at kSetValue leaves the key
// as it was.
StepResult WriteDriverKeyValue(HDEVINFO set, SP_DEVINFO_DATA& element, const char* valueName,
                               const char* valueData);
// Open the driver key, query the value; the key is reached unless the result failed at
// kOpenDriverKey.
StepResult ReadDriverKeyValue(HDEVINFO set, SP_DEVINFO_DATA& element, const char* valueName,
                              char* buffer, size_t capacity);
