#pragma once

// The resume's folders under the 32-bit Program Files: finding them and removing one.

#include <cstdint>
#include <string>
#include <vector>

#include "system/system.h"

// The plain folders (no junctions or links) directly under Program Files whose long names
// begin with the resume prefix, in listing order; none when Program Files is unreadable.
std::vector<std::u16string> ResumeFolders(const System& sys);

// Whether `folder` holds a resume file: a registration that its task may still run.
bool HoldsResumeFile(const System& sys, const std::u16string& folder);

// Removes the folder's files and folders and then the folder. Each subfolder is read again
// before it is entered: a junction or link is removed itself, never followed. What cannot go
// now (the running copy) goes at the next restart: the files, then their folder. 0, or the
// error of the first removal that could neither be done now nor left to the restart.
std::uint32_t RemoveFolderTree(const System& sys, const std::u16string& folder);
