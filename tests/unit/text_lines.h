// A phonebook held in memory, patched through the simulator's files, and the rule of the patch
// written apart from the patch's code, to hold its copies to.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "section_patch.h"
#include "unique_handle.h"
#include "winsim/control.h"

inline constexpr char kPhonebookFile[] = "C:\\pbk\\rasphone.pbk";
inline constexpr char kCopyFile[] = "C:\\pbk\\copy.pbk";

// The patch of "GPRS Connection" in the simulator's files, read and written `piece` bytes at a
// time: the copy, or none when the patch fails.
inline std::optional<std::string> PatchText(const std::string& phonebook,
                                            size_t piece = kPhonebookPiece) {
  winsim::AddFile(kPhonebookFile, phonebook);
  bool patched = false;
  {
    File in(CreateFileA(kPhonebookFile, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
    File out(CreateFileA(kCopyFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr));
    if (!in || !out) return "(the files could not be opened)";
    patched = CopyPatched(in.get(), out.get(), "GPRS Connection", piece);
  }
  if (!patched) return std::nullopt;
  return winsim::FileContents(kCopyFile).value_or("(no copy)");
}

// The text's lines: a line ends at LF, a CR right before it belongs to the end; the last line
// needs no end, and keeps a CR it ends with.
inline std::vector<std::string> InputLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    const bool ended = end != std::string::npos;
    if (!ended) end = text.size();
    std::string line = text.substr(at, end - at);
    if (ended && !line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = ended ? end + 1 : end;
  }
  return lines;
}

// The line without its leading spaces and tabs.
inline std::string Unindented(const std::string& line) {
  size_t start = 0;
  while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
  return line.substr(start);
}

// The rule: the section runs from the first line that is exactly the header to the next line that
// begins with "[" after blanks; each of its lines that begins, after blanks, with a key becomes
// that key and its value. Every line ends with CR LF. None when the header is missing or no line
// of the section holds a key. The thirteen settings are kept here rather than taken from the
// patch's table, so that a key or value lost there is caught.
inline std::optional<std::string> ExpectedPatch(const std::string& phonebook) {
  static const char* const kSettings[][2] = {
      {"NegotiateMultilinkAlways=", "0"},
      {"BindMsNetClient=", "0"},
      {"PreviewUserPw=", "1"},
      {"ShowDialingProgress=", "1"},
      {"ShowMonitorIconInTaskBar=", "1"},
      {"IpHeaderCompression=", "0"},
      {"IpNameAssign=", "1"},
      {"IpFrameSize=", "0"},
      {"ms_msclient=", "0"},
      {"ConnectBPS=", "115200"},
      {"HwFlowControl=", "0"},
      {"Protocol=", "0"},
      {"Compression=", "0"},
  };
  const std::vector<std::string> lines = InputLines(phonebook);
  size_t header = 0;
  while (header < lines.size() && lines[header] != "[GPRS Connection]") ++header;
  if (header == lines.size()) return std::nullopt;
  std::string text;
  bool inSection = false;
  int set = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string line = lines[i];
    const std::string unindented = Unindented(line);
    if (i == header) {
      inSection = true;
    } else if (!unindented.empty() && unindented[0] == '[') {
      inSection = false;
    } else if (inSection) {
      for (const auto& setting : kSettings) {
        const std::string key = setting[0];
        if (unindented.compare(0, key.size(), key) != 0) continue;
        line = key + setting[1];
        ++set;
        break;
      }
    }
    text += line + "\r\n";
  }
  if (set == 0) return std::nullopt;
  return text;
}
