// A DLL that only leaves a trace: loaded into a process, it creates "<its own path>.loaded"
// and refuses to stay (DllMain returns FALSE), so nothing of it ever runs beyond that. Copied
// under the names of system DLLs (msi.dll, version.dll, ...) next to a program, it shows
// whether the program loaded a DLL from its own directory.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH + 8];
  const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return FALSE;
  lstrcpyW(path + length, L".loaded");
  HANDLE trace = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (trace != INVALID_HANDLE_VALUE) CloseHandle(trace);
  return FALSE;
}
