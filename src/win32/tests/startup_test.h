#pragma once

#include <string>

#include "win32/dll_search.h"

// Checks of the start-up protections against planted DLLs, run by the layer test.

// The DLL search before and after RestrictDllSearch, and LoadSystemLibrary in every mode, with
// the trace DLL at `marker` planted in the current directory under a name of its own. Returns the
// search that RestrictDllSearch set up.
DllSearch CheckDllSearch(const std::u16string& marker);

// Function tables, the "<program>.local" refusal, the -silent reading and the texts.
void CheckStartPreparation(DllSearch search);
