// The system's message texts a machine starts with.
#include "process.h"

namespace winsim::detail {

std::map<DWORD, std::string> DefaultMessages() {
  return {
      {0, "The operation completed successfully.\r\n"},
      {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
      {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified.\r\n"},
      {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
      {ERROR_INVALID_HANDLE, "The handle is invalid.\r\n"},
      {ERROR_NOT_ENOUGH_MEMORY,
       "Not enough memory resources are available to process this command.\r\n"},
      {ERROR_INVALID_DATA, "The data is invalid.\r\n"},
      {ERROR_OUTOFMEMORY,
       "Not enough memory resources are available to complete this operation.\r\n"},
      {ERROR_INVALID_PARAMETER, "The parameter is incorrect.\r\n"},
      {ERROR_BUFFER_OVERFLOW, "The file name is too long.\r\n"},
      {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small.\r\n"},
      {ERROR_SHARING_VIOLATION,
       "The process cannot access the file because it is being used by another process.\r\n"},
      {ERROR_INVALID_NAME,
       "The filename, directory name, or volume label syntax is incorrect.\r\n"},
      {ERROR_MOD_NOT_FOUND, "The specified module could not be found.\r\n"},
      {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found.\r\n"},
      {ERROR_MORE_DATA, "More data is available.\r\n"},
      {ERROR_NO_MORE_ITEMS, "No more data is available.\r\n"},
      {ERROR_INVALID_FLAGS, "Invalid flags.\r\n"},
      {ERROR_INVALID_USER_BUFFER,
       "The supplied user buffer is not valid for the requested operation.\r\n"},
  };
}

}  // namespace winsim::detail
