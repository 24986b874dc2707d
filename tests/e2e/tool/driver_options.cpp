#include "driver_options.h"

#include <windows.h>

#include <cwchar>

#include "json_writer.h"
#include "owned_handles.h"

namespace {

bool ReadUtf8File(const std::wstring& path, std::wstring& text) {
  OwnedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  std::string bytes;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
    bytes.append(chunk, read);
  }
  text = FromUtf8(bytes);
  return true;
}

bool ParseUnsigned(const std::wstring& text, unsigned& value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  const unsigned long parsed = std::wcstoul(text.c_str(), &end, 10);
  if (end == nullptr || *end != L'\0') return false;
  value = static_cast<unsigned>(parsed);
  return true;
}

}  // namespace

bool ParseDriverOptions(int argc, wchar_t** argv, DriverOptions& options, std::wstring& error) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring name = argv[i];
    if (i + 1 >= argc) {
      error = L"option without a value: " + name;
      return false;
    }
    const std::wstring value = argv[++i];
    if (name == L"--exe") {
      options.exe = value;
    } else if (name == L"--cwd") {
      options.cwd = value;
    } else if (name == L"--args") {
      options.args = value;
    } else if (name == L"--args-file") {
      if (!ReadUtf8File(value, options.args)) {
        error = L"cannot read " + value;
        return false;
      }
    } else if (name == L"--report") {
      options.report = value;
    } else if (name == L"--timeout-ms") {
      if (!ParseUnsigned(value, options.timeoutMs)) {
        error = L"bad --timeout-ms " + value;
        return false;
      }
    } else if (name == L"--box") {
      options.boxAnswers.push_back(value);
    } else if (name == L"--hold-ms") {
      if (!ParseUnsigned(value, options.holdMs)) {
        error = L"bad --hold-ms " + value;
        return false;
      }
    } else if (name == L"--station") {
      options.station = value;
    } else if (name == L"--dialog") {
      options.dialogScripts.push_back(value);
    } else {
      error = L"unknown option " + name;
      return false;
    }
  }
  if (options.exe.empty() || options.report.empty()) {
    error = L"--exe and --report are required";
    return false;
  }
  return true;
}
