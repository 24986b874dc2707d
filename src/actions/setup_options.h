#pragma once

#include <cstdint>
#include <string>

// The command line's settings. Flags start cleared and strings empty; value options append,
// number options replace.
struct SetupOptions {
  bool installCsp = false;
  bool installUcsp = false;
  bool selectConfig = false;
  bool silent = false;
  // With `silent`: a restart the run would start without asking is left to the caller, who
  // gets exit code 3010 instead (what msiexec's /norestart gives a deployment system).
  bool noRestart = false;
  // Only delete a pending resume after the restart (its task and folders), then end.
  bool cancelResume = false;
  // Minutes (1 to 30) for which the users of programs that hold the installed plug-in's files
  // are asked to close them before its removal; 0: nobody is asked.
  std::uint8_t askCloseMinutes = 0;
  // How often those users may answer "postpone" for one target version (0 to 99).
  std::uint8_t maxDefer = 3;
  std::u16string cspArgs;
  std::u16string ucspArgs;
  std::u16string pluginArgs;
  std::u16string kcPattern;
  std::u16string langPattern;
};
