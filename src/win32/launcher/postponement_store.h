#pragma once

// The postponement value of the launcher's own key in HKEY_LOCAL_MACHINE, kept from one run to
// the next.

#include <windows.h>

#include <string>

#include "system/sys_result.h"

// Every call names the 32-bit view, as the resume mark's do (not on Windows 2000). Errors are
// the registry's, unchanged, but for a value the reader cannot take: ERROR_INVALID_DATA.
class PostponementStore {
 public:
  PostponementStore();

  // HoldersApi::ReadPostponement, WritePostponement and DeletePostponement.
  SysResult<bool> Read(std::u16string* text);
  SysResult<bool> Write(const std::u16string& text);
  SysResult<bool> Delete();

 private:
  REGSAM view_;
};
