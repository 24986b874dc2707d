#pragma once

#include "system/platform_api.h"

// Owns one kernel handle (token, process, thread) and closes it with CloseHandle when it goes
// out of scope. A zero or INVALID_HANDLE_VALUE handle is not closed.
class OwnedSysHandle {
 public:
  OwnedSysHandle(PlatformApi& platform, SysHandle handle) : platform_(platform), handle_(handle) {}
  ~OwnedSysHandle() {
    if (handle_ != 0 && handle_ != kInvalidSysHandle) platform_.CloseSysHandle(handle_);
  }
  OwnedSysHandle(const OwnedSysHandle&) = delete;
  OwnedSysHandle& operator=(const OwnedSysHandle&) = delete;

  SysHandle get() const { return handle_; }

 private:
  PlatformApi& platform_;
  SysHandle handle_;
};
