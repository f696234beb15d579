#include "verb_steps.h"

#include <cstring>

Words::Words(std::initializer_list<std::string_view> parts) {
  for (std::string_view part : parts) whole_ = whole_ && text_.Append(part);
  whole_ = whole_ && text_.Append(kTextEnd);
}

const char* Words::Text() const {
  // A line that found no memory is not said by halves.
  return whole_ ? text_.View().data() : "(no memory for the message)";
}

void OneLine(const char* text, const char* fallback, char (&line)[kTextCapacity]) {
  for (const char* source : {text, fallback}) {
    size_t length = strnlen(source, kTextCapacity - 1);
    std::memcpy(line, source, length);
    line[length] = '\0';
    for (size_t i = 0; i < length; ++i)
      if (line[i] == '\r' || line[i] == '\n') line[i] = ' ';
    while (length > 0 && line[length - 1] == ' ') line[--length] = '\0';
    if (length > 0) return;
  }
}

void Decimal(unsigned value, char (&text)[11]) {
  char reversed[10];
  size_t count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (size_t i = 0; i < count; ++i) text[i] = reversed[count - 1 - i];
  text[count] = '\0';
}
