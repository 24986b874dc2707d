#include "resume/resume_folders.h"

#include "common/ascii_text.h"
#include "common/folder_listing.h"
#include "common/path_text.h"
#include "resume/resume_task.h"

namespace {

// Removes a file or an empty folder now or, when it is in use, at the next restart. 0, or the
// error of scheduling it.
std::uint32_t RemoveNowOrLater(const System& sys, const std::u16string& path, bool folder) {
  const SysResult<bool> removed =
      folder ? sys.resume->RemoveFolder(path.c_str()) : sys.resume->RemoveFile(path.c_str());
  if (removed.value) return 0;
  const SysResult<bool> later = sys.resume->RemoveAtRestart(path.c_str());
  return later.value ? 0 : later.error;
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

std::uint32_t RemoveFolderTree(const System& sys, const std::u16string& folder) {
  std::uint32_t failure = 0;
  ForEachEntry(sys.files, JoinedPath(folder, u"*"), [&](const FindEntry& entry) {
    if (IsDotEntry(entry)) return true;
    const std::u16string path = JoinedPath(folder, entry.name);
    std::uint32_t result = 0;
    if ((entry.attributes & kFileAttributeDirectory) == 0) {
      result = RemoveNowOrLater(sys, path, false);
    } else if (!IsPlainFolder(entry) ||
               sys.resume->ReadFolderTrust(path.c_str()) == FolderTrust::kReparsePoint) {
      result = RemoveNowOrLater(sys, path, true);  // the link itself
    } else {
      result = RemoveFolderTree(sys, path);
    }
    if (failure == 0) failure = result;
    return true;
  });
  const std::uint32_t result = RemoveNowOrLater(sys, folder, true);
  return failure != 0 ? failure : result;
}
