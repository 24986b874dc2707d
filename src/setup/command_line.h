#pragma once

#include <string>
#include <vector>

#include "actions/setup_options.h"
#include "system/platform_api.h"
#include "system/system.h"

enum class ParseOutcome { kParsed, kHelpWanted };

// Reads the arguments `tokens` into `options`, whose value fields are appended to. Stops at an
// unknown token, an option before the flag it needs, or a value option without value, and
// returns kHelpWanted; `options` then holds what the tokens left of it set. Shows nothing.
ParseOutcome ParseArguments(const std::vector<std::u16string>& tokens, SetupOptions& options);

// The command line as the launcher reads it, once, at the start of the process.
struct CommandLine {
  std::u16string text;  // after the program name, as received
  ParseOutcome outcome = ParseOutcome::kParsed;
  SetupOptions options;

  // A run that nobody watches: -silent in a line that is not answered with the help.
  bool Silent() const { return outcome == ParseOutcome::kParsed && options.silent; }
};

// Splits `text` through the platform and parses the arguments. An empty text has none; a text
// that the platform cannot split leaves every option at its default.
CommandLine ReadCommandLine(PlatformApi& platform, const std::u16string& text);

// The help text for the flags set so far.
std::u16string BuildHelpText(const SetupOptions& options);

// Shows the help box ("Справка", information icon) for the flags set before the help was
// wanted; when nobody can see it, the log keeps its text instead. The run then ends with
// exit code 0.
void ShowHelp(const System& sys, const SetupOptions& options);
