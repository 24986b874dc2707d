#pragma once

#include "check/check_inputs.h"

// Files of the current directory read with CreateFileW and ReadFile, shared for reading: the
// registry and ACL files that the checker looks into.
class KernelFileReader : public FileReader {
 public:
  // Reads at most the first 64 KiB: enough for every header the checker looks at.
  bool ReadFileBytes(const std::u16string& name, std::string& bytes) override;
};
