#pragma once

// The Restart Manager (rstrtmgr.dll, Windows Vista and later): which processes hold files.

#include <windows.h>

#include <restartmanager.h>

#include <cstdint>
#include <string>
#include <vector>

#include "system/holders_api.h"
#include "win32/dll_search.h"
#include "win32/handles.h"

// rstrtmgr.dll, loaded from the system directory on the first question and kept from then on.
class RestartManager {
 public:
  explicit RestartManager(DllSearch search) : search_(search) {}

  // Whether the DLL loads with every function List calls; tried once, the answer kept.
  bool Load();
  // One session: every file in one RmRegisterResources call, RmGetList with room for more
  // processes while it answers ERROR_MORE_DATA, RmEndSession whatever happened. False with
  // the failing call's error (the error of Load where that failed).
  SysResult<bool> List(const std::vector<std::u16string>& files, std::vector<FileHolder>* holders);

 private:
  DllSearch search_;
  bool tried_ = false;
  std::uint32_t loadError_ = 0;
  OwnedModule module_;
  decltype(&::RmStartSession) start_ = nullptr;
  decltype(&::RmRegisterResources) register_ = nullptr;
  decltype(&::RmGetList) getList_ = nullptr;
  decltype(&::RmEndSession) end_ = nullptr;
};
