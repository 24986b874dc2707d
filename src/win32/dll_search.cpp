#include "win32/dll_search.h"

#include "win32/find_export.h"

namespace {

// Not in every SDK version the program is built with; the values are fixed by the system.
constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

template <typename Function>
Function FindKernelFunction(const char* name) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  Function function = nullptr;
  if (kernel != nullptr) FindExport(kernel, name, &function);
  return function;
}

}  // namespace

DllSearch RestrictDllSearch() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);
  // Windows 8 and later, and Vista/7 with KB2533623. Its presence also says that LoadLibraryExW
  // understands the LOAD_LIBRARY_SEARCH_* flags.
  const auto setDefault =
      FindKernelFunction<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories");
  if (setDefault != nullptr && setDefault(kLoadLibrarySearchSystem32)) {
    return DllSearch::kSystemDirectoryOnly;
  }
  // XP SP1 and later: an empty text takes the current directory out of the search.
  const auto setDirectory = FindKernelFunction<SetDllDirectoryFunction>("SetDllDirectoryW");
  if (setDirectory != nullptr && setDirectory(L"")) return DllSearch::kWithoutCurrentDirectory;
  return DllSearch::kStandard;
}

HMODULE LoadSystemLibrary(const wchar_t* fileName, DllSearch search) {
  if (search == DllSearch::kSystemDirectoryOnly) {
    return LoadLibraryExW(fileName, nullptr, kLoadLibrarySearchSystem32);
  }
  // The full path; the altered search order then looks for the DLL's own imports in its
  // directory (the system directory) before anywhere else.
  wchar_t path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  const int nameLength = lstrlenW(fileName);
  if (length == 0 || length + 1 + nameLength >= MAX_PATH) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  UINT at = length;
  if (path[at - 1] != L'\\') path[at++] = L'\\';
  for (int i = 0; i <= nameLength; ++i) path[at + i] = fileName[i];
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
