#pragma once

#include "system/system.h"

// Adds every certificate of the *.cer, *.p7b and *.crt files of the current directory to the
// local machine's Root store. Unreadable files are skipped.
void AddRootCertificates(const System& sys);
