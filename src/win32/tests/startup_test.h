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

// An internal failure (an allocation that cannot be made) in a child copy of this program:
// after PrepareStart with -silent, or where nobody can see, it ends with kExitInternalFailure,
// otherwise through abort(); the failure hook runs first either way.
void CheckInternalFailureExit();

// The child's part: prepares the start with `commandLine`, checks the error mode that leaves,
// registers a hook that creates the file `marker`, then fails an allocation. Its return value
// (never 0) means that it did not end as it should.
int FailInternallyAsChild(const std::u16string& commandLine, const std::u16string& marker);
