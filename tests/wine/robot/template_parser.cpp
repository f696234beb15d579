#include "template_parser.h"

#include <string>

#include "wide_text.h"

namespace robot {
namespace {

// A bounded cursor over the resource: every read past the end marks it broken instead.
class Reader {
 public:
  Reader(const unsigned char* data, size_t size) : data_(data), size_(size) {}

  bool ok() const { return ok_; }

  unsigned Byte() { return Take(1) ? data_[position_ - 1] : 0; }
  unsigned Word() { return Take(2) ? Little(2) : 0; }
  unsigned long Dword() { return Take(4) ? Little(4) : 0; }

  std::wstring String() {
    std::wstring text;
    for (unsigned c = Word(); ok_ && c != 0; c = Word()) text.push_back(static_cast<wchar_t>(c));
    return text;
  }

  // A menu, class or title: nothing, an ordinal, or a string.
  void SkipNameOrOrdinal() {
    const unsigned first = Word();
    if (first == 0xFFFF) {
      Word();
    } else if (first != 0) {
      String();
    }
  }

  void Skip(size_t count) { Take(count); }

  // Items start on DWORD boundaries counted from the template's start.
  void AlignToDword() { Skip((4 - position_ % 4) % 4); }

 private:
  bool Take(size_t count) {
    if (!ok_ || size_ - position_ < count) {
      ok_ = false;
      return false;
    }
    position_ += count;
    return true;
  }
  unsigned long Little(size_t count) const {
    unsigned long value = 0;
    for (size_t i = 0; i < count; ++i)
      value |= static_cast<unsigned long>(data_[position_ - count + i]) << (8 * i);
    return value;
  }

  const unsigned char* data_;
  size_t size_;
  size_t position_ = 0;
  bool ok_ = true;
};

}  // namespace

std::optional<ParsedTemplate> ParseDialogTemplate(const unsigned char* data, size_t size) {
  Reader reader(data, size);
  ParsedTemplate parsed;

  const unsigned version = reader.Word();
  const unsigned signature = reader.Word();
  const bool extended = version == 1 && signature == 0xFFFF;
  unsigned long style = 0;
  if (extended) {
    reader.Dword();  // help ID
    reader.Dword();  // extended style
    style = reader.Dword();
  } else {
    // The classic layout starts with the style, whose two halves were just read as words.
    style = version | (static_cast<unsigned long>(signature) << 16);
    reader.Dword();  // extended style
  }
  const unsigned count = reader.Word();
  reader.Skip(4 * sizeof(WORD));  // x, y, cx, cy
  reader.SkipNameOrOrdinal();     // menu
  reader.SkipNameOrOrdinal();     // window class
  reader.String();                // caption
  if (style & DS_SETFONT) {
    DialogFont font;
    font.pointSize = static_cast<int>(reader.Word());
    if (extended) {
      font.weight = static_cast<int>(reader.Word());
      font.italic = reader.Byte() != 0;
      font.charset = static_cast<int>(reader.Byte());
    }
    font.face = Narrow(reader.String());
    parsed.font = font;
  }

  for (unsigned i = 0; i < count && reader.ok(); ++i) {
    reader.AlignToDword();
    if (extended) {
      reader.Dword();  // help ID
      reader.Dword();  // extended style
      reader.Dword();  // style
      reader.Skip(4 * sizeof(WORD));
      parsed.controlIds.push_back(static_cast<int>(reader.Dword()));
    } else {
      reader.Dword();  // style
      reader.Dword();  // extended style
      reader.Skip(4 * sizeof(WORD));
      parsed.controlIds.push_back(static_cast<int>(reader.Word()));
    }
    reader.SkipNameOrOrdinal();  // class
    reader.SkipNameOrOrdinal();  // title
    reader.Skip(reader.Word());  // creation data
  }
  if (!reader.ok()) return std::nullopt;
  return parsed;
}

}  // namespace robot
