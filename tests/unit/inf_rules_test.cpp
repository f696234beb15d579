// The kit's INF held to the rules of Windows' modem-INF documentation that the kit relies on. Wine
// installs the modem without a modem class installer and overlooks every one of them, so a rule
// broken here would show only on Windows, as a modem that is not installed.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "kit_facts.h"

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r"), last = text.find_last_not_of(" \t\r");
  return first == std::string::npos ? "" : text.substr(first, last + 1 - first);
}

// A line as SetupAPI reads it: an optional key before the first unquoted "=", then fields parted by
// unquoted commas, trimmed and unquoted ("" inside quotes is one quote), up to an unquoted ";".
struct Line {
  std::string key;
  std::vector<std::string> fields;
};
using Sections = std::map<std::string, std::vector<Line>>;  // by lower-case name

Sections Read(const char* path) {
  Sections sections;
  std::vector<Line>* section = nullptr;
  std::ifstream in(path);
  for (std::string raw; std::getline(in, raw);) {
    if (Trim(raw).rfind('[', 0) == 0) {
      section = &sections[Lower(Trim(raw).substr(1, Trim(raw).find(']') - 1))];
      continue;
    }
    Line line;
    std::string field;
    bool quoted = false, keyed = false;
    for (size_t i = 0; i < raw.size() && (quoted || raw[i] != ';'); ++i) {
      const char c = raw[i];
      if (c == '"' && quoted && i + 1 < raw.size() && raw[i + 1] == '"') {
        field += raw[++i];
      } else if (c == '"') {
        quoted = !quoted;
      } else if (quoted || (c != ',' && (c != '=' || keyed))) {
        field += c;
      } else {
        if (c == '=') keyed = true;
        (c == '=' ? line.key : line.fields.emplace_back()) = Trim(field);
        field.clear();
      }
    }
    line.fields.push_back(Trim(field));
    if (section && (keyed || line.fields.size() > 1 || !line.fields[0].empty()))
      section->push_back(line);
  }
  return sections;
}

const Sections kInf = Read(KIT_INF);

const std::vector<Line>& Section(const std::string& name) {
  static const std::vector<Line> none;
  const auto found = kInf.find(Lower(name));
  return found == kInf.end() ? none : found->second;
}
bool Has(const std::string& name) {
  return kInf.count(Lower(name)) == 1;
}

// The fields of every line of `section` keyed `key`, in order.
std::vector<std::string> Values(const std::string& section, const std::string& key) {
  std::vector<std::string> values;
  for (const Line& line : Section(section))
    if (Lower(line.key) == Lower(key))
      values.insert(values.end(), line.fields.begin(), line.fields.end());
  return values;
}

bool Holds(const std::vector<std::string>& values, const std::string& value) {
  return std::any_of(values.begin(), values.end(),
                     [&](const std::string& v) { return Lower(v) == Lower(value); });
}

// What a %key% stands for in [Strings]; any other text stands for itself.
std::string Resolve(const std::string& text) {
  if (text.size() < 3 || text.front() != '%' || text.back() != '%') return text;
  const std::vector<std::string> value = Values("Strings", text.substr(1, text.size() - 2));
  return value.empty() ? "" : value[0];
}

// Every models section [Manufacturer] names: the plain one, which Windows 2000 reads, and one per
// decoration, which Windows XP and later choose from.
std::vector<std::string> ModelsSections() {
  std::vector<std::string> names;
  for (const Line& entry : Section("Manufacturer")) {
    names.push_back(entry.fields[0]);
    for (size_t i = 1; i < entry.fields.size(); ++i)
      names.push_back(entry.fields[0] + "." + entry.fields[i]);
  }
  return names;
}

TEST(InfRules, VersionNamesTheModemClassAndADatedVersion) {
  ASSERT_TRUE(Has("Version")) << "no INF read from " << KIT_INF;
  EXPECT_TRUE(Holds(Values("Version", "Signature"), "$Windows NT$"));
  EXPECT_TRUE(Holds(Values("Version", "Class"), "Modem"));
  EXPECT_TRUE(Holds(Values("Version", "ClassGUID"), "{4D36E96D-E325-11CE-BFC1-08002BE10318}"));
  // The catalog the build makes and signs, and the kit places beside the INF: without it 64-bit
  // Windows 8 and later stage no package. One undecorated name serves every platform, as the
  // package installs the same file everywhere.
  EXPECT_EQ(Values("Version", "CatalogFile"), std::vector<std::string>{"wwandev.cat"});
  for (const Line& line : Section("Version"))
    EXPECT_NE(Lower(line.key).rfind("catalogfile.", 0), 0u) << line.key;
  // mm/dd/yyyy ("-" may part them too), then an optional w.x.y.z of numbers below 65535.
  const std::vector<std::string> ver = Values("Version", "DriverVer");
  ASSERT_TRUE(ver.size() == 1 || ver.size() == 2) << ver.size();
  const std::regex date(R"((0[1-9]|1[0-2])[/-](0[1-9]|[12]\d|3[01])[/-]\d{4})");
  EXPECT_TRUE(std::regex_match(ver[0], date)) << ver[0];
  if (ver.size() == 1) return;
  EXPECT_TRUE(std::regex_match(ver[1], std::regex(R"(\d{1,5}(\.\d{1,5}){3})"))) << ver[1];
  const std::regex number(R"(\d+)");
  for (std::sregex_iterator n(ver[1].begin(), ver[1].end(), number), end; n != end; ++n)
    EXPECT_LT(std::stoi(n->str()), 65535) << ver[1];
}

// The modem the INF installs is the one the programs look for by hardware ID, and its name is the
// device EntryMaker's entry dials through (string 4 of EntryMaker, made from the same fact): a
// name that drifted would leave the entry dialling a device that does not exist.
TEST(InfRules, EveryModelsSectionOffersTheGprsModem) {
  ASSERT_FALSE(ModelsSections().empty());
  // 64-bit Windows installs nothing from a models section without its decoration.
  for (const char* decorated : {".NTx86", ".NTamd64"}) {
    const std::vector<std::string> names = ModelsSections();
    EXPECT_TRUE(std::any_of(names.begin(), names.end(),
                            [decorated](const std::string& name) {
                              return Lower(name).size() > std::strlen(decorated) &&
                                     Lower(name).substr(name.size() - std::strlen(decorated)) ==
                                         Lower(decorated);
                            }))
        << "no models section for " << decorated;
  }
  for (const std::string& name : ModelsSections()) {
    ASSERT_TRUE(Has(name)) << "[" << name << "] is missing";
    const bool offered =
        std::any_of(Section(name).begin(), Section(name).end(), [](const Line& model) {
          return Resolve(model.key) == kEntryDeviceName &&
                 Holds(std::vector<std::string>(model.fields.begin() + 1, model.fields.end()),
                       kModemHardwareId);
        });
    EXPECT_TRUE(offered) << "[" << name << "] offers no \"" << kEntryDeviceName << "\" for "
                         << kModemHardwareId;
  }
}

// Windows takes a section decorated for its processor before .NT, so each kept the rules too.
TEST(InfRules, ModelsInstallFromNtSectionsThatIncludeTheSystemModemInf) {
  for (const std::string& name : ModelsSections()) {
    for (const Line& model : Section(name)) {
      ASSERT_TRUE(Has(model.fields[0] + ".NT")) << model.fields[0] << ".NT is missing";
      for (const char* platform : {".NT", ".NTx86", ".NTamd64"}) {
        const std::string install = model.fields[0] + platform;
        if (!Has(install)) continue;
        for (const std::string& part : {install, install + ".Services", install + ".HW"}) {
          if (part == install + ".HW" && !Has(part)) continue;
          ASSERT_TRUE(Has(part)) << part << " is missing";
          EXPECT_TRUE(Holds(Values(part, "Include"), "mdmcpq.inf")) << part;
        }
        std::vector<std::string> names;
        for (const std::string& added : Values(install, "AddReg")) {
          EXPECT_TRUE(Has(added)) << added << ", added by " << install << ", is missing";
          for (const Line& entry : Section(added))
            if (entry.fields.size() == 5 && Lower(entry.fields[2]) == "friendlyname")
              names.push_back(Resolve(entry.fields[4]));
        }
        EXPECT_EQ(names, std::vector<std::string>{kEntryDeviceName}) << install;
      }
    }
  }
}

TEST(InfRules, EveryStringKeyIsInStrings) {
  // %% is one %, and %number% a directory ID the system resolves; any other %key% is a string's.
  const std::regex token("%([^%]*[^%0-9][^%]*)%");
  for (const auto& [name, lines] : kInf) {
    for (const Line& line : lines) {
      std::vector<std::string> texts = line.fields;
      texts.push_back(line.key);
      for (const std::string& text : texts)
        for (std::sregex_iterator m(text.begin(), text.end(), token), end; m != end; ++m)
          EXPECT_FALSE(Values("Strings", (*m)[1].str()).empty()) << "[" << name << "] " << text;
    }
  }
}

}  // namespace
