#include "common/path_text.h"

#include "common/ascii_text.h"

std::u16string JoinedPath(const std::u16string& folder, const std::u16string& name) {
  return folder + u"\\" + name;
}

std::u16string FileNameOf(const std::u16string& path) {
  const std::size_t slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

std::u16string FolderOf(const std::u16string& path) {
  const std::size_t slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

bool SamePath(const std::u16string& a, const std::u16string& b) {
  return a.size() == b.size() && StartsWithNoCase(a, b);
}
