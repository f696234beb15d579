#include "copy_patched.h"

#include "file_lines.h"
#include "section_patch.h"

bool CopyPatched(HANDLE phonebook, HANDLE copy, std::string_view entryName) {
  FileLineSource in(phonebook);
  FileLineSink out(copy);
  return PatchEntrySection(in, out, entryName) && out.Finish();
}
