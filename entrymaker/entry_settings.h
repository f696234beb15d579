// The thirteen settings lines of the GPRS entry that its record does not carry.
#pragma once

struct EntrySetting {
  const char* key;  // with its "="
  const char* value;
};

constexpr int kEntrySettingCount = 13;

// In the order the remote-access service writes them.
extern const EntrySetting EntrySettings[kEntrySettingCount];
