#pragma once

// Windows paths as texts: joined and taken apart at their backslashes.

#include <string>

// `folder`, a backslash and `name`.
std::u16string JoinedPath(const std::u16string& folder, const std::u16string& name);
// What follows the last backslash; the whole path without one.
std::u16string FileNameOf(const std::u16string& path);
// What precedes the last backslash; empty without one.
std::u16string FolderOf(const std::u16string& path);
// Whether the two paths name the same file as Windows compares names: whole, ASCII letters in
// either case.
bool SamePath(const std::u16string& a, const std::u16string& b);
