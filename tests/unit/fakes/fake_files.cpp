#include "fakes/fake_files.h"

namespace {

char16_t Fold(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c - u'A' + u'a');
  if (c >= 0x0410 && c <= 0x042F) return static_cast<char16_t>(c + 0x20);  // Cyrillic
  if (c == 0x0401) return 0x0451;
  return c;
}

std::u16string FoldAll(std::u16string text) {
  for (auto& c : text) c = Fold(c);
  return text;
}

// NTFS keeps a directory's entries ordered by their upper-cased names.
std::u16string UpperAll(std::u16string text) {
  for (auto& c : text) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (c >= 0x0430 && c <= 0x044F) c = static_cast<char16_t>(c - 0x20);
    if (c == 0x0451) c = 0x0401;
  }
  return text;
}

// `*` any run, `?` one code unit. Greedy with one resume point: on a mismatch the latest `*`
// takes one more unit. Each step moves the name or the resume point on, so the cost stays
// within pattern length times name length however many stars the pattern holds.
bool MatchWildcards(const std::u16string& p, const std::u16string& n) {
  constexpr std::size_t kNone = std::u16string::npos;
  std::size_t pi = 0, ni = 0, starAt = kNone, resumeAt = 0;
  while (ni < n.size()) {
    if (pi < p.size() && p[pi] == u'*') {
      starAt = pi++;
      resumeAt = ni;
    } else if (pi < p.size() && (p[pi] == u'?' || Fold(p[pi]) == Fold(n[ni]))) {
      ++pi;
      ++ni;
    } else if (starAt != kNone) {
      pi = starAt + 1;
      ni = ++resumeAt;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == u'*') ++pi;
  return pi == p.size();
}

std::u16string Parent(const std::u16string& path) {
  auto slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

std::u16string Leaf(const std::u16string& path) {
  auto slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

std::uint32_t CopyOut(const std::u16string& text, std::uint32_t bufferLength, char16_t* buffer) {
  const auto length = static_cast<std::uint32_t>(text.size());
  if (bufferLength <= length) return length + 1;
  std::memcpy(buffer, text.data(), length * sizeof(char16_t));
  buffer[length] = 0;
  return length;
}

}  // namespace

bool FakeFiles::Matches(std::u16string pattern, const std::u16string& name) {
  while (!pattern.empty() && (pattern.back() == u' ' || pattern.back() == u'.')) pattern.pop_back();
  if (pattern.empty()) return false;
  return MatchWildcards(pattern, name);
}

void FakeFiles::Add(const std::u16string& path, std::uint32_t attributes) {
  for (auto parent = Parent(path); parent.find(u'\\') != std::u16string::npos;
       parent = Parent(parent)) {
    nodes_.emplace(FoldAll(parent), kFileAttributeDirectory);
    names_[FoldAll(parent)] = parent;
  }
  nodes_[FoldAll(path)] = attributes;
  names_[FoldAll(path)] = path;
}

void FakeFiles::Remove(const std::u16string& path) {
  nodes_.erase(FoldAll(path));
  names_.erase(FoldAll(path));
}

bool FakeFiles::DirectoryExists(const std::u16string& foldedPath) const {
  if (foldedPath.find(u'\\') == std::u16string::npos) return true;  // a drive's root
  std::u16string current = FoldAll(currentDirectory);
  if (!current.empty() && current.back() == u'\\') current.pop_back();
  if (foldedPath == current) return !currentDirectoryDeleted;
  auto it = nodes_.find(foldedPath);
  return it != nodes_.end() && (it->second & kFileAttributeDirectory) != 0;
}

std::u16string FakeFiles::Absolute(const std::u16string& path) const {
  if (path.size() >= 2 && path[1] == u':') return path;
  std::u16string base = currentDirectory;
  if (!base.empty() && base.back() == u'\\') base.pop_back();
  return path.empty() ? base : base + u"\\" + path;
}

SearchHandle FakeFiles::FindFirst(const char16_t* pattern, FindEntry* entry) {
  searches.emplace_back(pattern);
  const std::u16string full = Absolute(pattern);
  const std::u16string dir = FoldAll(Parent(full));
  const std::u16string leaf = Leaf(full);
  const bool dirExists = DirectoryExists(dir);
  std::vector<FindEntry> found;
  if (dirExists) {
    if (dir.find(u'\\') != std::u16string::npos) {
      for (const char16_t* dot : {u".", u".."}) {
        if (Matches(leaf, dot)) found.push_back({kFileAttributeDirectory, dot});
      }
    }
    std::vector<FindEntry> children;
    for (const auto& [key, attributes] : nodes_) {
      if (Parent(key) == dir && Matches(leaf, Leaf(names_.at(key)))) {
        children.push_back({attributes, Leaf(names_.at(key))});
      }
    }
    std::sort(children.begin(), children.end(), [](const FindEntry& a, const FindEntry& b) {
      return UpperAll(a.name) < UpperAll(b.name);
    });
    found.insert(found.end(), children.begin(), children.end());
  }
  if (found.empty()) {
    kernel_.lastError = dirExists ? 2 : 3;  // ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND
    return kInvalidHandle<SearchHandle>;
  }
  *entry = found.front();
  found.erase(found.begin());
  SearchHandle handle = kernel_.OpenHandle("search");
  pending_[handle] = std::move(found);
  return handle;
}

bool FakeFiles::FindNext(SearchHandle search, FindEntry* entry) {
  auto it = pending_.find(search);
  if (it == pending_.end() || !kernel_.IsOpen(search)) {
    kernel_.lastError = 6;
    return false;
  }
  if (it->second.empty()) {
    kernel_.lastError = 18;  // ERROR_NO_MORE_FILES
    return false;
  }
  *entry = it->second.front();
  it->second.erase(it->second.begin());
  return true;
}

bool FakeFiles::CloseFind(SearchHandle search) {
  return kernel_.CloseHandle(search);
}

SysResult<std::uint32_t> FakeFiles::ReadCurrentDirectory(std::uint32_t bufferLength,
                                                         char16_t* buffer) {
  if (currentDirectoryFails) return {0, currentDirectoryError};
  return {CopyOut(currentDirectory, bufferLength, buffer), 0};
}

SysResult<std::uint32_t> FakeFiles::ReadFullPathName(const char16_t* name,
                                                     std::uint32_t bufferLength, char16_t* buffer) {
  return {CopyOut(Absolute(name), bufferLength, buffer), 0};
}

SysResult<std::uint32_t> FakeFiles::ReadSystemDirectory(char16_t* buffer,
                                                        std::uint32_t bufferLength) {
  return {CopyOut(systemDirectory, bufferLength, buffer), 0};
}

SysResult<std::uint32_t> FakeFiles::ReadWindowsDirectory(char16_t* buffer,
                                                         std::uint32_t bufferLength) {
  return {CopyOut(windowsDirectory, bufferLength, buffer), 0};
}

std::uint32_t FakeFiles::ReadFileAttributes(const char16_t* path) {
  auto it = nodes_.find(FoldAll(Absolute(path)));
  if (it == nodes_.end()) {
    kernel_.lastError = 2;
    return kInvalidFileAttributes;
  }
  return it->second;
}
