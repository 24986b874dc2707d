// Stands in for a system program in a scenario's prefix (regini, which Wine only stubs, or
// schtasks, whose Task Scheduler never starts a task): appends one line to
// C:\zirel-recorded.txt, in UTF-8, holding its command line as the system handed it over, a
// tab, its current directory, a tab and its own path. Given "/xml FILE" (schtasks), it keeps a
// copy of FILE as C:\zirel-recorded.xml, since the program that wrote FILE may delete it
// later. Then it ends with the number written in C:\zirel-recorded-exit.txt, or 0 when there is
// no such file; "1 0" there makes the first run end with 1 and every later one with 0.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "win32/handles.h"

namespace {

constexpr wchar_t kRecordPath[] = L"C:\\zirel-recorded.txt";
constexpr wchar_t kExitCodePath[] = L"C:\\zirel-recorded-exit.txt";
constexpr wchar_t kXmlCopyPath[] = L"C:\\zirel-recorded.xml";

std::string Utf8(const std::wstring& text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], bytes,
                      nullptr, nullptr);
  return out;
}

// The first number in the exit code file, 0 without one. When more numbers follow, the file
// keeps only those: each run takes the next, and the last one stays.
DWORD ExitCodeToUse() {
  char text[64] = {};
  DWORD read = 0;
  {
    const KernelHandle file(CreateFileW(kExitCodePath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return 0;
    ReadFile(file.Get(), text, sizeof text - 1, &read, nullptr);
  }
  DWORD code = 0;
  DWORD at = 0;
  for (; at < read && text[at] >= '0' && text[at] <= '9'; ++at) {
    code = code * 10 + static_cast<DWORD>(text[at] - '0');
  }
  while (at < read && text[at] == ' ') ++at;
  if (at < read) {
    const KernelHandle file(CreateFileW(kExitCodePath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.Get(), text + at, read - at, &written, nullptr);
  }
  return code;
}

// The argument after "/xml", or an empty text.
std::wstring XmlArgument() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::wstring file;
  for (int i = 1; arguments != nullptr && i + 1 < count; ++i) {
    if (lstrcmpiW(arguments[i], L"/xml") == 0) file = arguments[i + 1];
  }
  LocalFree(arguments);
  return file;
}

}  // namespace

int wmain() {
  wchar_t directory[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, directory);
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::string line =
      Utf8(std::wstring(GetCommandLineW()) + L"\t" + directory + L"\t" + self) + "\n";
  const KernelHandle record(CreateFileW(kRecordPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!record.Valid() ||
      !WriteFile(record.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) {
    return 1;
  }
  const std::wstring xml = XmlArgument();
  if (!xml.empty() && !CopyFileW(xml.c_str(), kXmlCopyPath, FALSE)) return 1;
  return static_cast<int>(ExitCodeToUse());
}
