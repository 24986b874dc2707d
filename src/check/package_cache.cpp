// The check's package files, each opened and read once.

#include "check/package_cache.h"

#include <cstring>
#include <utility>

#include "common/win_errors.h"
#include "installer/installer_access.h"

std::uint32_t PackageCache::OpenPackageEx(const char16_t* path, std::uint32_t options,
                                          MsiHandle* handle) {
  auto [it, added] = indexes_.emplace(path, files_.size());
  if (added) {
    File file;
    MsiHandle opened{};
    file.opened = real_.packages.OpenPackageEx(path, options, &opened);
    file.session =
        std::make_unique<PackageSession>(real_.packages, file.opened == 0 ? opened : MsiHandle{});
    files_.push_back(std::move(file));
  }
  const File& file = files_[it->second];
  *handle = file.opened == 0 ? static_cast<MsiHandle>(it->second + 1) : MsiHandle{};
  return file.opened;
}

std::uint32_t PackageCache::GetProperty(MsiHandle handle, const char16_t* name, char16_t* buffer,
                                        std::uint32_t* size) {
  File& file = files_.at(static_cast<std::size_t>(handle) - 1);
  auto [it, added] = file.properties.try_emplace(name);
  auto& [result, value] = it->second;
  if (added) result = ReadPackageProperty(*file.session, name, value);
  if (result != 0) return result;
  // MsiGetPropertyW's convention: the length alone where the text and its zero do not fit.
  const auto length = static_cast<std::uint32_t>(value.size());
  if (*size <= length) {
    *size = length;
    return kErrorMoreData;
  }
  std::memcpy(buffer, value.c_str(), (value.size() + 1) * sizeof(char16_t));
  *size = length;
  return 0;
}

std::uint32_t PackageCache::ReadSummary(const std::u16string& path, PackageSummary& summary) {
  auto [it, added] = summaries_.try_emplace(path);
  if (added) it->second.first = real_.summaries.ReadSummary(path, it->second.second);
  summary = it->second.second;
  return it->second.first;
}
