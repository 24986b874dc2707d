#pragma once

// Listing a folder through FileApi, the search handle closed on every path.

#include "common/scoped_handles.h"
#include "system/file_api.h"

// Hands every entry that `pattern` (a folder and a wildcard, "*" for the current directory)
// finds to `visit(entry)` in listing order, "." and ".." too, until `visit` returns false.
// False when the listing cannot start.
template <typename Visit>
bool ForEachEntry(FileApi& files, const std::u16string& pattern, Visit visit) {
  FindEntry entry;
  ScopedFind listing(files, files.FindFirst(pattern.c_str(), &entry));
  if (!listing.IsOpen()) return false;
  do {
    if (!visit(static_cast<const FindEntry&>(entry))) break;
  } while (files.FindNext(listing.get(), &entry));
  return true;
}

// Whether `entry` is "." or "..".
inline bool IsDotEntry(const FindEntry& entry) {
  return entry.name == u"." || entry.name == u"..";
}

// A folder itself, not a junction or link to one.
inline bool IsPlainFolder(const FindEntry& entry) {
  return (entry.attributes & kFileAttributeDirectory) != 0 &&
         (entry.attributes & kFileAttributeReparsePoint) == 0;
}
