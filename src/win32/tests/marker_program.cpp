// A program that only leaves a trace: it creates "<its own path>.ran" and ends with exit code
// 77. Copied under the names of system programs (msiexec.exe, regedit.exe, regini.exe) into a
// directory, it shows whether a program started one of them from there.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t path[MAX_PATH + 8];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 77;
  lstrcpyW(path + length, L".ran");
  HANDLE trace = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (trace != INVALID_HANDLE_VALUE) CloseHandle(trace);
  return 77;
}
