#include "win32/check/kernel_file_reader.h"

#include <windows.h>

#include "win32/handles.h"
#include "win32/wide_text.h"

namespace {

constexpr DWORD kReadLimit = 64 * 1024;

}  // namespace

bool KernelFileReader::ReadFileBytes(const std::u16string& name, std::string& bytes) {
  KernelHandle file(CreateFileW(Wide(name), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  bytes.assign(kReadLimit, '\0');
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes.data(), kReadLimit, &read, nullptr)) return false;
  bytes.resize(read);
  return true;
}
