#pragma once

#include "common/folder_listing.h"
#include "system/file_api.h"

// The folders one level below the current directory, where the package lookup searches.

// Whether the lookup searches `folder`, a directory of the current directory: it skips those
// whose names begin with a full stop ("." and ".." among them).
inline bool IsSearchedFolder(const FindEntry& folder) {
  return folder.name.empty() || folder.name[0] != u'.';
}

// Lists the current directory and hands every directory in it, "." and ".." too, to
// `visit(folder)` in listing order, until `visit` returns false. False when the listing cannot
// start.
template <typename Visit>
bool ForEachFolder(FileApi& files, Visit visit) {
  return ForEachEntry(files, u"*", [&](const FindEntry& entry) {
    return (entry.attributes & kFileAttributeDirectory) == 0 || visit(entry);
  });
}

// The same walk over the folders that the lookup searches only.
template <typename Visit>
bool ForEachSearchedFolder(FileApi& files, Visit visit) {
  return ForEachFolder(
      files, [&](const FindEntry& folder) { return !IsSearchedFolder(folder) || visit(folder); });
}
