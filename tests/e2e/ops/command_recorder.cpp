// Stands in for a system program in a scenario's prefix (for instance regini, which Wine only
// stubs): appends one line to C:\zirel-recorded.txt, in UTF-8, holding its command line as
// the system handed it over, a tab and its current directory; then ends with the number
// written in C:\zirel-recorded-exit.txt, or 0 when there is no such file.
#include <windows.h>

#include <string>

#include "win32/handles.h"

namespace {

constexpr wchar_t kRecordPath[] = L"C:\\zirel-recorded.txt";
constexpr wchar_t kExitCodePath[] = L"C:\\zirel-recorded-exit.txt";

std::string Utf8(const std::wstring& text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], bytes,
                      nullptr, nullptr);
  return out;
}

DWORD ExitCodeToUse() {
  const KernelHandle file(CreateFileW(kExitCodePath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return 0;
  char digits[16] = {};
  DWORD read = 0;
  ReadFile(file.Get(), digits, sizeof digits - 1, &read, nullptr);
  DWORD code = 0;
  for (DWORD i = 0; i < read && digits[i] >= '0' && digits[i] <= '9'; ++i) {
    code = code * 10 + static_cast<DWORD>(digits[i] - '0');
  }
  return code;
}

}  // namespace

int wmain() {
  wchar_t directory[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, directory);
  const std::string line = Utf8(std::wstring(GetCommandLineW()) + L"\t" + directory) + "\n";
  const KernelHandle record(CreateFileW(kRecordPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!record.Valid() ||
      !WriteFile(record.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) {
    return 1;
  }
  return static_cast<int>(ExitCodeToUse());
}
