#include "resume/resume_folders.h"

#include "common/ascii_text.h"
#include "common/folder_listing.h"
#include "common/path_text.h"
#include "resume/resume_task.h"

namespace {

// Removes a file now or, when it is in use, at the next restart.
void RemoveFileOrLater(const System& sys, const std::u16string& path) {
  if (!sys.resume->RemoveFile(path.c_str()).value) sys.resume->RemoveAtRestart(path.c_str());
}

}  // namespace

std::vector<std::u16string> ResumeFolders(const System& sys) {
  std::vector<std::u16string> folders;
  std::u16string programFiles;
  if (!sys.resume->ReadProgramFilesFolder(&programFiles).value) return folders;
  ForEachEntry(sys.files, JoinedPath(programFiles, kResumeFolderPrefix) + u"*",
               [&](const FindEntry& entry) {
                 // The search also matches short names; only the long name counts.
                 if (IsPlainFolder(entry) && StartsWithNoCase(entry.name, kResumeFolderPrefix)) {
                   folders.push_back(JoinedPath(programFiles, entry.name));
                 }
                 return true;
               });
  return folders;
}

bool HoldsResumeFile(const System& sys, const std::u16string& folder) {
  return sys.files.ReadFileAttributes(JoinedPath(folder, kResumeFileName).c_str()) !=
         kInvalidFileAttributes;
}

void RemoveFolderTree(const System& sys, const std::u16string& folder) {
  ForEachEntry(sys.files, JoinedPath(folder, u"*"), [&](const FindEntry& entry) {
    if (IsDotEntry(entry)) return true;
    const std::u16string path = JoinedPath(folder, entry.name);
    if ((entry.attributes & kFileAttributeDirectory) == 0) {
      RemoveFileOrLater(sys, path);
    } else if (!IsPlainFolder(entry) ||
               sys.resume->ReadFolderTrust(path.c_str()) == FolderTrust::kReparsePoint) {
      sys.resume->RemoveFolder(path.c_str());  // the link itself
    } else {
      RemoveFolderTree(sys, path);
    }
    return true;
  });
  if (!sys.resume->RemoveFolder(folder.c_str()).value) {
    sys.resume->RemoveAtRestart(folder.c_str());
  }
}
