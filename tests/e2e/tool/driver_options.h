#pragma once

#include <string>
#include <vector>

// What one run of the driver does, read from its own command line:
//
//   e2e_driver.exe --exe PATH --report FILE [--cwd DIR] [--args TEXT | --args-file FILE]
//                  [--timeout-ms N] [--box ANSWER]... [--dialog STEPS]... [--hold-ms N]
//                  [--station NAME]
//
// --args / --args-file: the launcher's command-line text after its program name (the file is
//   UTF-8, taken byte for byte without a trailing line break).
// --box ANSWER: the answer for the next message box, in order: ok, cancel, yes, no, ... or a
//   button id. Boxes beyond the list are answered No, or OK, or Cancel (the first present)
//   and reported as unscripted.
// --dialog STEPS: the steps for the next other dialog, comma-separated, run in order:
//   click:ID (BM_CLICK on the control), command:ID (WM_COMMAND BN_CLICKED to the dialog),
//   close (the title bar's close box), wait:MS, snapshot (report the controls again). A dialog
//   beyond the list gets command:2.
// --station NAME: starts the program on the desktop "Default" of a new window station NAME,
//   made without WSF_VISIBLE, as a service or a deployment system's SYSTEM account has it.
//   Nobody sees or answers its windows there; the driver only waits for its end.
// --hold-ms N: leaves each message box and dialog untouched for N milliseconds after it is
//   reported (the event gives its screen rectangle), so that a screenshot can be taken.
struct DriverOptions {
  std::wstring exe;
  std::wstring cwd;
  std::wstring args;
  std::wstring report;
  unsigned timeoutMs = 20000;
  std::vector<std::wstring> boxAnswers;
  std::vector<std::wstring> dialogScripts;
  unsigned holdMs = 0;
  std::wstring station;
};

// Fills `options` from argv; on a usage error returns false with a message in `error`.
bool ParseDriverOptions(int argc, wchar_t** argv, DriverOptions& options, std::wstring& error);
