#pragma once

#include <windows.h>

// How the process looks for a DLL that it, or a system DLL on its behalf, loads by name.
enum class DllSearch {
  // SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32): the system directory only.
  kSystemDirectoryOnly,
  // SetDllDirectoryW(L""): the standard order without the current directory; the program's
  // own directory is still searched first for names loaded by the system.
  kWithoutCurrentDirectory,
  // Neither call exists (Windows 2000, XP before SP1): the standard order.
  kStandard,
};

// Narrows the DLL search of the whole process as far as the system allows. Called first thing,
// before anything loads a DLL by name. The calls are looked up at run time, so the program
// still starts on systems without them.
DllSearch RestrictDllSearch();

// Loads `fileName` (a bare name such as L"msi.dll") from the system directory and from nowhere
// else; the DLLs that it imports in turn are searched in the system directory first. Returns
// null with the last error set when it is not there or cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* fileName, DllSearch search);
