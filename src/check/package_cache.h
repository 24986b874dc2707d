#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "check/simulated_system.h"
#include "common/scoped_handles.h"

// The package files as the check reads them, again and again for every simulated run: each file
// opened once, each of its properties and its summary read once, for as long as the check runs.

class PackageCache final : public PackageSummaryReader, public PackageApi {
 public:
  explicit PackageCache(const RealSystem& real) : real_(real) {}

  std::uint32_t ReadSummary(const std::u16string& path, PackageSummary& summary) override;
  // The real system's answer for the file's first opening; the options of later openings are
  // not looked at.
  std::uint32_t OpenPackageEx(const char16_t* path, std::uint32_t options,
                              MsiHandle* handle) override;
  std::uint32_t GetProperty(MsiHandle handle, const char16_t* name, char16_t* buffer,
                            std::uint32_t* size) override;
  // The file stays open for the next run.
  std::uint32_t CloseMsiHandle(MsiHandle) override { return 0; }

 private:
  struct File {
    std::uint32_t opened = 0;                 // 0, or the real system's error
    std::unique_ptr<PackageSession> session;  // the real system's, closed with the cache
    std::map<std::u16string, std::pair<std::uint32_t, std::u16string>> properties;
  };

  const RealSystem& real_;
  std::vector<File> files_;  // a handle given out is an index + 1
  std::map<std::u16string, std::size_t> indexes_;
  std::map<std::u16string, std::pair<std::uint32_t, PackageSummary>> summaries_;
};
