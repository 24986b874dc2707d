#pragma once

// A removal of the plug-in that waits for the restart: the volatile mark that says so and
// holds the removed plug-in's files, and whether the file operations that Windows carries out
// when it next starts delete or replace one of them. A package installed there before the
// restart would lose such a file.

#include <string>
#include <vector>

#include "system/system.h"

// One operation of PendingFileRenameOperations: `source` goes at the next start (deleted when
// `target` is empty, moved there otherwise; `replaces`: over a file that exists). Paths without
// their "\??\" prefix.
struct PendingOperation {
  std::u16string source;
  std::u16string target;
  bool replaces = false;
};

// The operations of a REG_MULTI_SZ value's data: pairs of strings, an empty target for a
// deletion, "!" before a target that replaces; ends at an empty source or the data's end.
std::vector<PendingOperation> ParsePendingOperations(const std::u16string& data);

// Whether `operation` deletes, moves away or replaces one of `files` (whole paths, ASCII
// letters in either case).
bool TouchesFiles(const PendingOperation& operation, const std::vector<std::u16string>& files);

// Marks a removal of the plug-in that waits for the restart, with its `files`: any earlier mark
// goes first, and only a key made new now counts (logged either way). Whether it was made.
bool MarkRemovalAwaitingRestart(const System& sys, const std::vector<std::u16string>& files);

// Whether a removal of the plug-in awaits the restart and an operation of the next start
// deletes or replaces one of its files (each such operation logged). False without a mark, or
// when the mark holds no files.
bool RemovedFilesPendingAtRestart(const System& sys);
