#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "check/check_inputs.h"
#include "check/simulated_system.h"

// What the check reads of the package files, read once for every file the launcher's lookups can
// find, before any finding is made; the findings read it from here.

// The properties of a package file that the check compares with what a path asked for.
struct PackageFacts {
  std::u16string productCode;
  std::u16string version;
  std::u16string language;
  std::u16string releaseFlags;
};

// One file with its facts and its summary, each with the error that ended its reading.
struct PackageRow {
  std::uint32_t factsError = 0;  // 0, or the installer's error; `facts` holds those read before
  PackageFacts facts;
  std::uint32_t summaryError = 0;  // 0, or the installer's error
  PackageSummary summary;
};

class PackageTable {
 public:
  // Reads every file one level down in the folders the lookup searches, each once, read-only.
  explicit PackageTable(const RealSystem& real);

  // The row of the file at `path` (a full path); a file the listing did not show reads as
  // missing (ERROR_FILE_NOT_FOUND).
  const PackageRow& Row(const std::u16string& path) const;

 private:
  std::map<std::u16string, PackageRow> rows_;
  PackageRow missing_;
};
