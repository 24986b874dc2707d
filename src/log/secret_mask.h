#pragma once

#include <string>

// How the double quotes of a text are read when its property values are masked.
enum class QuoteReading {
  // msiexec's property syntax: every quote opens or closes a quoted part of a value (two in a
  // row inside one stand for a literal quote).
  kInstaller,
  // The launcher's own command line, as it is split into arguments: a quote after an odd
  // number of backslashes belongs to the argument, and so to msiexec's syntax; the quote that
  // closes an argument opened before a property ends that property's value.
  kCommandLine,
};

// `text` as the log writes it: the value of every NAME=value is written as "***", unless NAME
// is, in any letter case, one of the public properties that administrators need to see
// (REBOOT, REBOOTPROMPT, ALLUSERS, ADDLOCAL, ADDSOURCE, ADDDEFAULT, ADVERTISE, REMOVE,
// REINSTALL, REINSTALLMODE, TRANSFORMS, INSTALLDIR, TARGETDIR, MSIFASTINSTALL). A NAME starts
// the text or follows a blank or a quote. A value is masked whole, with its quotes, blanks and
// doubled or escaped quotes; where its end is in doubt, the rest of the text goes with it.
// Everything that is not NAME=value stays: msiexec's switches and their files, package paths.
std::u16string MaskSecrets(const std::u16string& text, QuoteReading reading);
