#pragma once

#include <cstdint>
#include <string>

#include "actions/setup_state.h"
#include "system/system.h"

// Installs or upgrades the CSP and the ZAZ CSP as the options ask; results are OR-ed.
std::uint32_t InstallProviders(const System& sys, SetupState& state, bool silent,
                               std::u16string cspArgs, std::u16string ucspArgs);

// The file that a registry import ("regedit /s <file>") or an ACL import ("regini <file>") run
// by InstallProviders hands over; empty for a line of another kind.
std::u16string RegistryImportFileOf(const std::u16string& commandLine);
std::u16string AclImportFileOf(const std::u16string& commandLine);
