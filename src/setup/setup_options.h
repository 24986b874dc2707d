#pragma once

#include <string>

// The command line's settings. Flags start cleared and strings empty; value options append.
struct SetupOptions {
  bool installCsp = false;
  bool installUcsp = false;
  bool selectConfig = false;
  bool silent = false;
  std::u16string cspArgs;
  std::u16string ucspArgs;
  std::u16string pluginArgs;
  std::u16string kcPattern;
  std::u16string langPattern;
};
