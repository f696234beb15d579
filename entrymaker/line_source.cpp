#include "line_source.h"

#include <cstdint>
#include <cstring>

#include "line_ends.h"

namespace {

// Whether `run` is a part of a line: runs of whole lines end with LF, and a part holds none, so
// that it need not be searched for one.
bool IsPart(std::string_view run) {
  return run.back() != '\n';
}

// Where the line `wanted` (not empty) stands whole in `lines`, which begin a line and end with
// LF, with `next` set past its line end; null when it is not there.
const char* FindLine(std::string_view lines, std::string_view wanted, const char*& next) {
  const char* start = lines.data();
  const char* end = start + lines.size();
  for (const char* from = start; from < end;) {
    const char* first = static_cast<const char*>(std::memchr(from, wanted.front(), end - from));
    if (!first) return nullptr;
    from = first + 1;
    if (first != start && first[-1] != '\n') continue;
    std::string_view rest(first, static_cast<size_t>(end - first));
    std::string_view line;
    if (!TakeToLineEnd(rest, line) || WithoutCr(line) != wanted) continue;
    next = rest.data();
    return first;
  }
  return nullptr;
}

}  // namespace

LineSource::Read LineSource::TakeRun(std::string_view& run) {
  if (rest_.empty()) return NextRun(run);
  run = rest_;
  rest_ = {};
  return Read::kLine;
}

LineSource::Read LineSource::GatherLine(std::string_view part, size_t limit, std::string_view& line,
                                        bool& whole) {
  gathered_.Clear();
  for (;;) {
    if (!gathered_.Append(part)) return Read::kError;
    line = gathered_.View();
    whole = line.size() <= limit;
    if (!whole) return Read::kLine;
    std::string_view run;
    const Read read = NextRun(run);
    if (read == Read::kError) return read;
    if (read == Read::kEnd) return Read::kLine;  // the last line, its CR kept
    if (IsPart(run)) {
      part = run;
      continue;
    }
    TakeToLineEnd(run, part);
    // A CR that ended the part before belongs to the line's end as well as one right before LF.
    if (!gathered_.Append(part)) return Read::kError;
    line = WithoutCr(gathered_.View());
    whole = true;
    rest_ = run;
    return Read::kLine;
  }
}

bool LineSource::CopyLongLine(LineSink& out, std::string_view part) {
  for (;;) {
    // A CR that ends a part is the line's end when an LF begins the next run: it waits for it.
    const bool cr = !part.empty() && part.back() == '\r';
    if (cr) part.remove_suffix(1);
    if (!part.empty() && !out.Write(part)) return false;
    std::string_view run;
    const Read read = NextRun(run);
    if (read == Read::kError) return false;
    if (cr && (read == Read::kEnd || run.front() != '\n') && !out.Write("\r")) return false;
    if (read == Read::kEnd) return out.Write("\r\n");
    if (IsPart(run)) {
      part = run;
      continue;
    }
    TakeToLineEnd(run, part);
    rest_ = run;
    return out.WriteLine(WithoutCr(part));
  }
}

LineSource::Read LineSource::ReadLine(std::string_view& line) {
  std::string_view run;
  const Read read = TakeRun(run);
  if (read != Read::kLine) return read;
  if (IsPart(run)) {
    bool whole = false;
    return GatherLine(run, SIZE_MAX, line, whole);
  }
  std::string_view part;
  TakeToLineEnd(run, part);
  line = WithoutCr(part);
  rest_ = run;
  return Read::kLine;
}

LineSource::Read LineSource::CopyThroughLine(LineSink& out, std::string_view wanted) {
  for (;;) {
    std::string_view run;
    const Read read = TakeRun(run);
    if (read != Read::kLine) return read;
    if (!IsPart(run)) {
      const char* next = nullptr;
      const char* found = FindLine(run, wanted, next);
      if (!found) {
        if (!out.WriteLines(run)) return Read::kError;
        continue;
      }
      const std::string_view before(run.data(), static_cast<size_t>(found - run.data()));
      if ((!before.empty() && !out.WriteLines(before)) || !out.WriteLine(wanted))
        return Read::kError;
      rest_ = std::string_view(next, static_cast<size_t>(run.data() + run.size() - next));
      return Read::kLine;
    }
    // A part: a line too long to be held, or the last one. Held whole only while it may still be
    // the one wanted, with a CR that may end it, it costs no memory when far longer.
    const size_t limit = wanted.size() + 1;
    if (run.size() > limit) {
      if (!CopyLongLine(out, run)) return Read::kError;
      continue;
    }
    std::string_view line;
    bool whole = false;
    if (GatherLine(run, limit, line, whole) != Read::kLine) return Read::kError;
    if (!whole) {
      if (!CopyLongLine(out, line)) return Read::kError;
      continue;
    }
    if (!out.WriteLine(line)) return Read::kError;
    if (line == wanted) return Read::kLine;
  }
}

bool LineSource::CopyRest(LineSink& out) {
  for (;;) {
    std::string_view run;
    const Read read = TakeRun(run);
    if (read == Read::kEnd) return true;
    if (read == Read::kError) return false;
    if (!(IsPart(run) ? CopyLongLine(out, run) : out.WriteLines(run))) return false;
  }
}
