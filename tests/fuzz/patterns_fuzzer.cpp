// Package patterns, wildcards and configuration fragments under arbitrary input. The first
// character of the first line picks the check:
//   F  FindPackageFile over a directory tree described by the input, against a model of the
//      one-level search built from the fake's listings and a reference wildcard matcher;
//   C  BuildCarryOverArgs with arbitrary "ISReleaseFlags" and "ProductLanguage" values;
//   V  CompareVersionText as an order;
//   M  the fake file search's wildcard matcher against the reference matcher.
// Any other first character picks one of them by its value.

#include <string>
#include <vector>

#include "common/product_catalogue.h"
#include "common/sized_text.h"
#include "expected_strings.h"
#include "fakes/fake_system.h"
#include "fuzz_input.h"
#include "installer/carry_over.h"
#include "installer/package_lookup.h"
#include "installer/upgrade_decision.h"
#include "ui/string_ids.h"

namespace {

using fuzz::Contains;
using fuzz::Lines;

// Case folding of the file search: A-Z, the basic Cyrillic capitals and Ё.
char16_t FoldForMatch(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c | 0x20);
  if (c >= u'А' && c <= u'Я') return static_cast<char16_t>(c + (u'а' - u'А'));
  return c == u'Ё' ? u'ё' : c;
}

// `*` any run, `?` exactly one code unit, case folded; blanks and full stops at the end of the
// pattern are dropped first and an empty pattern matches nothing. Dynamic programming over
// prefixes, so its cost stays length times length.
bool ReferenceMatch(std::u16string pattern, const std::u16string& name) {
  while (!pattern.empty() && (pattern.back() == u' ' || pattern.back() == u'.')) {
    pattern.pop_back();
  }
  if (pattern.empty()) return false;
  // row[j]: the pattern's prefix read so far matches the name's first j units.
  std::vector<bool> row(name.size() + 1, false);
  row[0] = true;
  for (char16_t p : pattern) {
    std::vector<bool> next(name.size() + 1, false);
    if (p == u'*') {
      bool reachable = false;
      for (std::size_t j = 0; j <= name.size(); ++j) {
        reachable = reachable || row[j];
        next[j] = reachable;
      }
    } else {
      for (std::size_t j = 1; j <= name.size(); ++j) {
        next[j] = row[j - 1] && (p == u'?' || FoldForMatch(p) == FoldForMatch(name[j - 1]));
      }
    }
    row.swap(next);
  }
  return row[name.size()];
}

std::u16string Limit(std::u16string text, std::size_t units) {
  if (text.size() > units) text.resize(units);
  return text;
}

std::u16string CutAtZero(const std::u16string& text) {
  return text.substr(0, text.find(u'\0'));
}

// ---------------------------------------------------------------------------------------------
// F: FindPackageFile.

// A name the file system can hold: not empty, not "." or "..", none of \ / : * ? or a zero.
bool UsableName(const std::u16string& name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  for (char16_t c : name) {
    if (c == u'\\' || c == u'/' || c == u':' || c == u'*' || c == u'?' || c == 0) return false;
  }
  return true;
}

// Every entry a search returns, in its order; the search is closed again.
std::vector<FindEntry> ListAll(FakeFiles& files, const std::u16string& pattern) {
  std::vector<FindEntry> entries;
  FindEntry entry;
  const SearchHandle search = files.FindFirst(pattern.c_str(), &entry);
  if (search == kInvalidHandle<SearchHandle>) return entries;
  do {
    entries.push_back(entry);
  } while (files.FindNext(search, &entry));
  files.CloseFind(search);
  return entries;
}

// Lines after the pattern describe the tree below the current directory: "D" a plain file,
// "D/" an empty directory, "D/F" a file in directory D, "D/F/" a directory in D. Lines that
// would give a name the file system cannot hold, or turn a file into a directory, are left out.
void BuildTree(FakeFiles& files, const std::u16string& base, const Lines& lines) {
  constexpr std::size_t kMaxEntries = 48;
  for (std::size_t i = 2; i < lines.Count() && i < 2 + kMaxEntries; ++i) {
    const std::u16string line = Limit(lines[i], 80);
    const std::size_t slash = line.find(u'/');
    const std::u16string dir = line.substr(0, slash);
    if (!UsableName(dir)) continue;
    const std::u16string dirPath = base + u"\\" + dir;
    const std::uint32_t dirAttributes = files.ReadFileAttributes(dirPath.c_str());
    if (slash == std::u16string::npos) {
      if (dirAttributes == kInvalidFileAttributes) files.AddFile(dirPath);
      continue;
    }
    if (dirAttributes != kInvalidFileAttributes && (dirAttributes & kFileAttributeDirectory) == 0) {
      continue;
    }
    std::u16string leaf = line.substr(slash + 1);
    const bool leafIsDirectory = !leaf.empty() && leaf.back() == u'/';
    if (leafIsDirectory) leaf.pop_back();
    if (leaf.empty()) {
      files.AddDirectory(dirPath);
      continue;
    }
    const std::u16string leafPath = dirPath + u"\\" + leaf;
    if (!UsableName(leaf) || files.ReadFileAttributes(leafPath.c_str()) != kInvalidFileAttributes) {
      continue;
    }
    if (leafIsDirectory) {
      files.AddDirectory(leafPath);
    } else {
      files.AddFile(leafPath);
    }
  }
}

struct LookupOutcome {
  std::uint32_t result = 0;
  std::u16string path;
  std::vector<std::u16string> searches;
};

// The lookup as the fake's own listings and the reference matcher say it must go: the
// subdirectories in listing order, names beginning with a full stop skipped, one search each
// until the first that holds a match, whose first match in listing order is the result.
LookupOutcome ModelLookup(FakeSystem& fake, const std::u16string& pattern,
                          const std::u16string& untouched) {
  LookupOutcome model{kErrorNoMoreFiles, untouched, {u"*"}};
  for (const FindEntry& directory : ListAll(fake.files, u"*")) {
    if ((directory.attributes & kFileAttributeDirectory) == 0 || directory.name[0] == u'.') {
      continue;
    }
    model.searches.push_back(directory.name + u"\\" + pattern);
    for (const FindEntry& entry : ListAll(fake.files, directory.name + u"\\*")) {
      if (!ReferenceMatch(pattern, entry.name)) continue;
      if (fake.files.currentDirectoryFails) {
        model.result = fake.files.currentDirectoryError != 0 ? fake.files.currentDirectoryError
                                                             : kErrorGenFailure;
      } else {
        model.result = 0;
        model.path = fake.files.currentDirectory + u"\\" + directory.name + u"\\" + entry.name;
      }
      return model;
    }
  }
  return model;
}

void CheckLookup(const Lines& lines) {
  FakeSystem fake;
  const std::u16string& settings = lines[0];
  if (Contains(settings, u'r')) {
    fake.files.currentDirectory = u"C:\\";
  } else if (Contains(settings, u'l')) {
    // Longer than the classic path limit, so the first read of it comes back short.
    fake.files.currentDirectory = u"C:\\deep\\" + std::u16string(300, u'n');
  }
  std::u16string base = fake.files.currentDirectory;
  if (base.back() == u'\\') base.pop_back();
  BuildTree(fake.files, base, lines);
  fake.files.currentDirectoryDeleted = Contains(settings, u'd');
  fake.files.currentDirectoryFails = Contains(settings, u'e') || Contains(settings, u'z');
  fake.files.currentDirectoryError = Contains(settings, u'z') ? 0 : 15;

  // The platform sees the pattern up to its first zero; it names no folder of its own.
  std::u16string pattern = Limit(CutAtZero(lines[1]), 64);
  for (auto& c : pattern) {
    if (c == u'\\' || c == u'/') c = u'?';
  }

  const std::u16string untouched = u"<untouched>";
  const LookupOutcome model = ModelLookup(fake, pattern, untouched);
  fake.files.searches.clear();
  fake.kernel.lastError = 0;

  std::u16string path = untouched;
  const std::uint32_t result = FindPackageFile(fake.sys, pattern, path);
  FUZZ_CHECK(result == model.result);
  FUZZ_CHECK(path == model.path);
  FUZZ_CHECK(fake.files.searches == model.searches);
  FUZZ_CHECK(fake.kernel.Unbalanced().empty());
  if (result == 0) {
    // The result names the current directory, one subdirectory and one entry in it.
    const std::u16string prefix = fake.files.currentDirectory + u"\\";
    FUZZ_CHECK(path.compare(0, prefix.size(), prefix) == 0);
    const std::u16string rest = path.substr(prefix.size());
    const std::size_t slash = rest.find(u'\\');
    FUZZ_CHECK(slash != std::u16string::npos && slash > 0 && rest[0] != u'.');
    FUZZ_CHECK(rest.find(u'\\', slash + 1) == std::u16string::npos);
    FUZZ_CHECK(ReferenceMatch(pattern, rest.substr(slash + 1)));
  }
  FUZZ_CHECK(fake.ui.boxes.empty());
}

// ---------------------------------------------------------------------------------------------
// C: BuildCarryOverArgs.

constexpr char16_t kLocalPackage[] = u"C:\\Windows\\Installer\\4f1e2d.msi";

std::uint32_t FailureCode(const std::u16string& digits) {
  std::uint32_t code = 0;
  for (char16_t c : digits) {
    if (c >= u'0' && c <= u'9') code = code * 10 + static_cast<std::uint32_t>(c - u'0');
  }
  return code != 0 ? code : 1627;  // ERROR_FUNCTION_FAILED
}

bool IsCspCode(const std::u16string& code) {
  return code == kCspProductCode || code == kCspSecondProductCode;
}

// The level fragment the installed flags stand for: the unit after the first "kc" (just "kc"
// when the value ends there), else the level the feature names imply, else "-".
std::u16string ModelLevel(const std::u16string& flags) {
  const std::size_t kc = flags.find(u"kc");
  if (kc != std::u16string::npos) {
    return kc + 2 < flags.size() ? std::u16string(u"kc") + flags[kc + 2] + u"*" : u"kc*";
  }
  if (flags.find(u"qxrmcsp") != std::u16string::npos) return u"kc2*";
  if (flags.find(u"qxcspi") != std::u16string::npos) return u"kc1*";
  return u"-*";
}

// One of "kc" + one non-zero unit + "*", "kc*", "-*".
bool IsLevelFragment(const std::u16string& f) {
  if (f == u"-*" || f == u"kc*") return true;
  return f.size() == 4 && f[0] == u'k' && f[1] == u'c' && f[2] != 0 && f[3] == u'*';
}

void CheckCarryOver(const Lines& lines) {
  const std::u16string& settings = lines[0];
  const Product* row = &kZazCsp;
  if (Contains(settings, u'c')) row = &kCsp;
  if (Contains(settings, u's')) row = &kCspSecond;
  if (Contains(settings, u'p')) row = &kPlugin;
  const std::u16string productCode = row->code;
  const bool silent = Contains(settings, u'q');
  const std::u16string flags = lines[1];
  const std::u16string language = lines[2];
  const std::u16string prefix = lines[3];
  const std::uint32_t code = FailureCode(lines[4]);
  const bool csp = IsCspCode(productCode);

  FakeSystem fake;
  auto& product = fake.installer.products[productCode];
  if (!Contains(settings, u'1')) product.info[u"LocalPackage"] = kLocalPackage;
  fake.installer.packages[kLocalPackage] = {{u"ISReleaseFlags", flags},
                                            {u"ProductLanguage", language}};
  if (Contains(settings, u'2')) fake.installer.openFailures[kLocalPackage] = code;
  if (Contains(settings, u'3')) fake.installer.propertyFailures[u"ISReleaseFlags"] = code;
  if (Contains(settings, u'4')) fake.installer.propertyFailures[u"ProductLanguage"] = code;

  // What the steps must give, in their order.
  std::uint32_t expectedResult = 0;
  std::u16string expectedPattern = prefix;
  int expectedText = 0;
  const std::u16string level = ModelLevel(CutAtZero(flags));
  const std::u16string languageFragment = CutAtZero(language) == u"1033" ? u"eng*" : u"rus*";
  if (Contains(settings, u'1')) {
    expectedResult = 1608;  // ERROR_UNKNOWN_PROPERTY
    expectedText = kStrLocalPackageUnreadable;
  } else if (Contains(settings, u'2')) {
    expectedResult = code;
  } else if (csp && Contains(settings, u'3')) {
    expectedResult = code;
    expectedText = kStrReleaseFlagsUnreadable;
  } else {
    if (csp) expectedPattern += level;
    if (Contains(settings, u'4')) {
      expectedResult = code;
      expectedText = kStrProductLanguageUnreadable;
    } else {
      expectedPattern += languageFragment;
    }
  }

  std::u16string pattern = prefix;
  const std::uint32_t result = BuildCarryOverArgs(fake.sys, *row, fake.PromptsFor(silent), pattern);
  FUZZ_CHECK(result == expectedResult);
  FUZZ_CHECK(pattern == expectedPattern);
  // The caller's text stays its prefix; what follows holds no zero.
  FUZZ_CHECK(pattern.compare(0, prefix.size(), prefix) == 0);
  const std::u16string appended = pattern.substr(prefix.size());
  FUZZ_CHECK(!Contains(appended, u'\0'));
  if (result == 0) {
    // A level fragment for the two provider codes, then exactly one language fragment.
    FUZZ_CHECK(appended.size() >= 4);
    const std::u16string tail = appended.substr(appended.size() - 4);
    FUZZ_CHECK(tail == u"eng*" || tail == u"rus*");
    const std::u16string head = appended.substr(0, appended.size() - 4);
    FUZZ_CHECK(csp ? IsLevelFragment(head) : head.empty());
  }
  if (expectedText != 0 && !silent) {
    FUZZ_CHECK(fake.ui.boxes.size() == 1);
    FUZZ_CHECK(fake.ui.boxes[0].text == ExpectedText(static_cast<std::uint16_t>(expectedText)));
    FUZZ_CHECK(fake.ui.boxes[0].caption == ExpectedText(kStrErrorCaption));
    FUZZ_CHECK(fake.ui.boxes[0].style == kMbIconError);
  } else {
    FUZZ_CHECK(fake.ui.boxes.empty());
  }
  FUZZ_CHECK(fake.installer.openedPackages.size() <= 1);
  FUZZ_CHECK(fake.kernel.Unbalanced().empty());
  FUZZ_CHECK(fake.processes.started.empty() && fake.files.searches.empty());
}

// ---------------------------------------------------------------------------------------------
// V: CompareVersionText. Versions are read up to their first zero, so they hold none.

int Sign(int value) {
  return (value > 0) - (value < 0);
}

void CheckVersionOrder(const Lines& lines) {
  const std::u16string a = CutAtZero(lines[1]);
  const std::u16string b = CutAtZero(lines[2]);
  const std::u16string c = CutAtZero(lines[3]);
  const int ab = CompareVersionText(a, b);
  const int ba = CompareVersionText(b, a);
  FUZZ_CHECK(ab == -1 || ab == 0 || ab == 1);
  FUZZ_CHECK(ab == -ba);
  FUZZ_CHECK((ab == 0) == (a == b));
  FUZZ_CHECK(CompareVersionText(a, a) == 0);
  // Code units as unsigned 16-bit numbers; a text that ends first is the smaller.
  FUZZ_CHECK(ab == Sign(a.compare(b)));
  const int bc = CompareVersionText(b, c);
  const int ac = CompareVersionText(a, c);
  if (ab <= 0 && bc <= 0) FUZZ_CHECK(ac <= 0);
  if (ab >= 0 && bc >= 0) FUZZ_CHECK(ac >= 0);
  // A text followed by anything sorts after the text alone.
  FUZZ_CHECK(CompareVersionText(a + b + u"0", a) == 1);
}

// ---------------------------------------------------------------------------------------------
// M: the fake's wildcard matcher.

void CheckMatcher(const Lines& lines) {
  const std::u16string pattern = Limit(lines[1], 256);
  const std::u16string name = Limit(lines[2], 256);
  FUZZ_CHECK(FakeFiles::Matches(pattern, name) == ReferenceMatch(pattern, name));
  // A name always matches itself, and "*" matches every name.
  if (!name.empty() && name.back() != u' ' && name.back() != u'.') {
    FUZZ_CHECK(FakeFiles::Matches(name, name));
  }
  FUZZ_CHECK(FakeFiles::Matches(u"*", name));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Lines lines(data, size);
  const char16_t selector = lines[0].empty() ? u'F' : lines[0][0];
  switch (selector) {
    case u'F':
      CheckLookup(lines);
      break;
    case u'C':
      CheckCarryOver(lines);
      break;
    case u'V':
      CheckVersionOrder(lines);
      break;
    case u'M':
      CheckMatcher(lines);
      break;
    default:
      switch (selector % 4) {
        case 0:
          CheckLookup(lines);
          break;
        case 1:
          CheckCarryOver(lines);
          break;
        case 2:
          CheckVersionOrder(lines);
          break;
        default:
          CheckMatcher(lines);
          break;
      }
  }
  return 0;
}
