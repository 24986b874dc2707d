#pragma once

#include <string>

#include "setup/setup_options.h"
#include "system/system.h"

enum class ParseOutcome { kParsed, kHelpShown };

// Splits `text` (the command line after the program name) and fills `options`. On an unknown
// token, an option before the flag it needs, or a value option without value, shows the help
// and returns kHelpShown: the caller ends the process with exit code 0.
ParseOutcome ParseCommandLine(const System& sys, const std::u16string& text, SetupOptions& options);

// The help text for the flags set so far.
std::u16string BuildHelpText(const SetupOptions& options);

// Shows the help box ("Справка", information icon).
void ShowHelp(const System& sys, const SetupOptions& options);
