#pragma once

#include <windows.h>

#include <msi.h>

// An installer handle, closed once through the MsiCloseHandle that was looked up at run time.
class OwnedMsiHandle {
 public:
  using CloseFunction = decltype(&::MsiCloseHandle);

  explicit OwnedMsiHandle(CloseFunction close) : close_(close) {}
  ~OwnedMsiHandle() {
    if (handle_ != 0) close_(handle_);
  }
  OwnedMsiHandle(const OwnedMsiHandle&) = delete;
  OwnedMsiHandle& operator=(const OwnedMsiHandle&) = delete;

  MSIHANDLE Get() const { return handle_; }
  // Where an opening call writes the new handle; the one held before must be none.
  MSIHANDLE* Receive() { return &handle_; }

 private:
  CloseFunction close_;
  MSIHANDLE handle_ = 0;
};
