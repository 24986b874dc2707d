#pragma once

#include <windows.h>

#include <objbase.h>

#include "win32/dll_search.h"
#include "win32/handles.h"

// COM on the thread that opens installer packages, which the Windows Installer asks for before
// MsiOpenPackage(Ex). ole32.dll is loaded from the system directory when it is first needed,
// not through the import table.
class ComApartment {
 public:
  explicit ComApartment(DllSearch search) : search_(search) {}
  // Leaves COM again (on the thread that entered it, which must be the one destroying this).
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  // Initialises COM, multithreaded, on the calling thread at the first call; later calls
  // do nothing. Returns the first call's answer, kept in result(): S_OK; S_FALSE or
  // RPC_E_CHANGED_MODE when the thread already had COM; another failure, or the Windows error
  // of a failed ole32.dll load as an HRESULT, for the caller to record. The installer calls go
  // on either way.
  HRESULT Enter();
  HRESULT result() const { return result_; }

 private:
  HRESULT Initialize();

  DllSearch search_;
  OwnedModule ole32_;
  decltype(&::CoUninitialize) uninitialize_ = nullptr;
  bool tried_ = false;
  HRESULT result_ = S_OK;
};
