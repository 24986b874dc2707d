#pragma once

// Masking of the property values that the run log must not show: licence keys, serials and
// passwords given to msiexec, in its command lines and in the launcher's own.

#include <string>

#include "system/platform_api.h"

// How the double quotes of a text are read when its property values are masked: msiexec's
// property syntax as Microsoft describes it, where every quote opens or closes a quoted part of
// a value (two in a row inside one stand for a literal quote, and "" is an empty value; Wine's
// msiexec reads these two otherwise).
enum class QuoteReading { kInstaller };

// `text` as the log writes it: the value of every NAME=value is written as "***", unless NAME
// is, in any letter case, one of the public properties that administrators need to see
// (REBOOT, REBOOTPROMPT, ALLUSERS, ADDLOCAL, ADDSOURCE, ADDDEFAULT, ADVERTISE, REMOVE,
// REINSTALL, REINSTALLMODE, TRANSFORMS, INSTALLDIR, TARGETDIR, MSIFASTINSTALL). msiexec takes a
// property of any name (PID-KEY, 1ACC): a NAME is any run of characters other than blanks and
// "=" that starts the text or follows a blank or a quote; blanks may stand around the "=". A
// value is masked whole, with its quotes, blanks and doubled quotes; where its end is in doubt,
// the rest of the text goes with it. Everything that is not NAME=value stays: msiexec's
// switches and their files, package paths.
std::u16string MaskSecrets(const std::u16string& text, QuoteReading reading);

// The launcher's command line `text` as the log writes it: split by the platform, each
// argument written back in quotes where the split needs them, its property values masked. An
// option's value is read after the values of the same option before it, joined as msiexec gets
// those of -CSPArgs, -UCSPArgs and -ZirelArgs, and apart from the other options' values, so
// that a quote or a NAME= carries over to the next value of its own option only; every other
// argument is read alone. A text that the platform cannot split is read as msiexec's arguments.
std::u16string MaskCommandLine(PlatformApi& platform, const std::u16string& text);
