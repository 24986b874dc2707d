#include "installer/package_lookup.h"

#include "common/number_text.h"
#include "common/scoped_handles.h"
#include "common/sized_text.h"
#include "installer/folder_walk.h"
#include "log/log_lines.h"

std::uint32_t ReadCurrentDirectoryText(FileApi& files, std::u16string& directory) {
  return ReadSizedText(
      kMaxPath,
      [&](char16_t* buffer, std::uint32_t length) {
        return files.ReadCurrentDirectory(length, buffer);
      },
      directory);
}

// Looks one level deep: the first subdirectory in listing order that holds a match wins, and
// within it the first match the search returns; later matches follow in the same order. Names
// beginning with a full stop are skipped.
namespace {

// FindPackageFile, recording the lookup in `trace`.
std::uint32_t FindTraced(const System& sys, const std::u16string& pattern, std::u16string& path,
                         std::uint32_t skip, InstallTrace& trace) {
  const bool further = skip > 0;
  bool ended = false;
  std::uint32_t result = kErrorNoMoreFiles;
  ForEachSearchedFolder(sys.files, [&](const FindEntry& directory) {
    const std::u16string search = directory.name + u"\\" + pattern;
    FindEntry match;
    ScopedFind matches(sys.files, sys.files.FindFirst(search.c_str(), &match));
    if (!matches.IsOpen()) return true;
    while (skip > 0) {
      --skip;
      if (!sys.files.FindNext(matches.get(), &match)) return true;
    }
    ended = true;

    // The current directory may be longer than the classic path limit; it is then read again
    // with the size it reports, so the path is always complete.
    std::u16string current;
    result = ReadCurrentDirectoryText(sys.files, current);
    if (result != 0) {
      sys.log.Line({"package: current directory unreadable, error ", DecimalText(result)});
      return false;
    }
    path = current + u"\\" + directory.name + u"\\" + match.name;
    sys.log.Line({"package for ", Quoted(pattern), ": ", path});
    trace.PackageLookedUp(pattern, path);
    return false;
  });
  if (!ended) {
    sys.log.Line({further ? u"package: no further file matches " : u"package: no file matches ",
                  Quoted(pattern)});
    trace.PackageLookedUp(pattern, std::u16string());
  }
  return result;
}

}  // namespace

std::uint32_t FindPackageFile(const System& sys, std::u16string pattern, std::u16string& path,
                              std::uint32_t skip) {
  return FindTraced(sys, pattern, path, skip, sys.trace);
}

bool HasPackageFile(const System& sys, const std::u16string& pattern) {
  std::u16string path;
  return FindTraced(sys, pattern, path, 0, NoTrace()) == 0;
}
