#pragma once

#include <string>

// The command line's settings. Flags start cleared and strings empty; value options append.
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
  std::u16string cspArgs;
  std::u16string ucspArgs;
  std::u16string pluginArgs;
  std::u16string kcPattern;
  std::u16string langPattern;
};
