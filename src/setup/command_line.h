#pragma once

// The launcher's command line: the table of its options, and the parser, the help text and
// the names in the run log's options line that are made from it.

#include <cstdint>
#include <string>
#include <vector>

#include "actions/setup_options.h"
#include "system/platform_api.h"
#include "system/system.h"
#include "ui/prompts.h"

// kBadValue: a number option without its number or with one out of its bounds.
enum class ParseOutcome { kParsed, kHelpWanted, kBadValue };

// What an option does with SetupOptions.
enum class OptionKind : std::uint8_t {
  kHelp,     // asks for the help
  kFlag,     // sets `flag`
  kArgs,     // appends the next token and a blank to `text`: arguments for msiexec
  kPattern,  // appends "*", the next token and "*" to `text`: a search pattern
  kNumber,   // sets `number` to the next token, a decimal number from `least` to `most`
};

// One option of the command line.
struct CommandOption {
  const char* name;  // as the help writes it; a token matches it in any ASCII letter case
  OptionKind kind;
  bool SetupOptions::*flag;            // kFlag: the flag it sets
  std::u16string SetupOptions::*text;  // kArgs, kPattern: the field its value goes to
  bool SetupOptions::*needs;           // a flag set further left without which it is unknown
  const char* logName;                 // its name in the options line; nullptr: not logged
  std::uint8_t helpPlace;              // its place among the help's lines from 1; 0: not listed
  bool SetupOptions::*listedWith;      // the help lists it only when this flag is set
  const char16_t* helpText;            // the help's words after the name
  std::uint8_t SetupOptions::*number;  // kNumber: the field its value goes to
  std::uint8_t least;                  // kNumber: the smallest value accepted
  std::uint8_t most;                   // kNumber: the largest value accepted
};

// The options in the order of the options line.
struct CommandOptions {
  const CommandOption* first;
  const CommandOption* last;
  const CommandOption* begin() const { return first; }
  const CommandOption* end() const { return last; }
};
CommandOptions AllCommandOptions();

// Reads the arguments `tokens` into `options`, whose value fields are appended to. Stops at an
// unknown token, an option before the flag it needs, or a value option without value, and
// returns kHelpWanted; `options` then holds what the tokens left of it set. A number option
// without a number in its bounds makes it kBadValue instead, whatever follows, with that
// option in `*badOption`. Shows nothing.
ParseOutcome ParseArguments(const std::vector<std::u16string>& tokens, SetupOptions& options,
                            const CommandOption** badOption = nullptr);

// The command line as the launcher reads it, once, at the start of the process.
struct CommandLine {
  std::u16string text;  // after the program name, as received
  ParseOutcome outcome = ParseOutcome::kParsed;
  SetupOptions options;
  const CommandOption* badOption = nullptr;  // with kBadValue: the option whose number is bad

  // A run that nobody watches: -silent in a line that is not answered with the help.
  bool Silent() const { return outcome == ParseOutcome::kParsed && options.silent; }
};

// What the run that `commandLine` starts may show, where `ui` tells whether anybody can see it.
Prompts RunPrompts(const CommandLine& commandLine, UiApi& ui);

// Splits `text` through the platform and parses the arguments. An empty text has none; a text
// that the platform cannot split leaves every option at its default.
CommandLine ReadCommandLine(PlatformApi& platform, const std::u16string& text);

// The help text for the flags set so far.
std::u16string BuildHelpText(const SetupOptions& options);

// Shows the help box ("Справка", information icon) for the flags set before the help was
// wanted; when nobody can see it, the log keeps its text instead. The run then ends with
// exit code 0.
void ShowHelp(const System& sys, const Prompts& prompts, const SetupOptions& options);
