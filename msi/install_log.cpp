#include "install_log.h"

namespace {

// A record is the installer's to free with MsiCloseHandle.
class Record {
 public:
  explicit Record(unsigned fields) : handle_(MsiCreateRecord(fields)) {}
  ~Record() {
    if (handle_) MsiCloseHandle(handle_);
  }
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;
  MSIHANDLE get() const { return handle_; }

 private:
  MSIHANDLE handle_;
};

}  // namespace

void InstallLog::Say(INSTALLMESSAGE kind, const char* text) const {
  Record record(1);
  if (!record.get()) return;
  // The text stands in field 1 and the template only refers to it, so that brackets in a path or
  // a reason are said as they are, not formatted as properties.
  MsiRecordSetStringA(record.get(), 0, "[1]");
  MsiRecordSetStringA(record.get(), 1, text);
  MsiProcessMessage(install_, kind, record.get());
}

bool ReadProperty(MSIHANDLE install, const char* property, char* value, DWORD capacity) {
  DWORD size = capacity;
  if (MsiGetPropertyA(install, property, value, &size) == ERROR_SUCCESS) return true;
  value[0] = '\0';
  return false;
}
