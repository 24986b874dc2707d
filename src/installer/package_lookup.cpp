#include "installer/package_lookup.h"

#include "common/number_text.h"
#include "common/scoped_handles.h"
#include "common/sized_text.h"
#include "log/log_lines.h"

namespace {

bool IsCandidateDirectory(const FindEntry& entry) {
  return (entry.attributes & kFileAttributeDirectory) != 0 &&
         (entry.name.empty() || entry.name[0] != u'.');
}

}  // namespace

std::uint32_t ReadCurrentDirectoryText(const System& sys, std::u16string& directory) {
  return ReadSizedText(
      kMaxPath,
      [&](char16_t* buffer, std::uint32_t length) {
        return sys.files.ReadCurrentDirectory(length, buffer);
      },
      directory);
}

// Looks one level deep: the first subdirectory in listing order that holds a match wins, and
// within it the first match the search returns. Names beginning with a full stop are skipped.
std::uint32_t FindPackageFile(const System& sys, std::u16string pattern, std::u16string& path) {
  const std::u16string noMatch = u"package: no file matches " + Quoted(pattern);
  FindEntry directory;
  ScopedFind listing(sys.files, sys.files.FindFirst(u"*", &directory));
  if (!listing.IsOpen()) {
    sys.log.Line({noMatch});
    return kErrorNoMoreFiles;
  }
  do {
    if (!IsCandidateDirectory(directory)) continue;
    const std::u16string search = directory.name + u"\\" + pattern;
    FindEntry match;
    ScopedFind matches(sys.files, sys.files.FindFirst(search.c_str(), &match));
    if (!matches.IsOpen()) continue;

    // The current directory may be longer than the classic path limit; it is then read again
    // with the size it reports, so the path is always complete.
    std::u16string current;
    const std::uint32_t error = ReadCurrentDirectoryText(sys, current);
    if (error != 0) {
      sys.log.Line({"package: current directory unreadable, error ", DecimalText(error)});
      return error;
    }
    path = current + u"\\" + directory.name + u"\\" + match.name;
    sys.log.Line({"package for ", Quoted(pattern), ": ", path});
    return 0;
  } while (sys.files.FindNext(listing.get(), &directory));
  sys.log.Line({noMatch});
  return kErrorNoMoreFiles;
}
