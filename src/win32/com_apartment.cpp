#include "win32/com_apartment.h"

namespace {

template <typename Function>
Function Find(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

HRESULT LastErrorResult() {
  const DWORD error = GetLastError();
  return HRESULT_FROM_WIN32(error != ERROR_SUCCESS ? error : ERROR_MOD_NOT_FOUND);
}

}  // namespace

HRESULT ComApartment::Enter() {
  if (tried_) return result_;
  tried_ = true;
  ole32_.Reset(LoadSystemLibrary(L"ole32.dll", search_));
  if (!ole32_) return result_ = LastErrorResult();
  const auto initialize = Find<decltype(&::CoInitializeEx)>(ole32_.Get(), "CoInitializeEx");
  const auto uninitialize = Find<decltype(&::CoUninitialize)>(ole32_.Get(), "CoUninitialize");
  if (initialize == nullptr || uninitialize == nullptr) {
    return result_ = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  }
  result_ = initialize(nullptr, COINIT_APARTMENTTHREADED);
  // S_FALSE counts as an initialisation too and is balanced; RPC_E_CHANGED_MODE is not.
  if (SUCCEEDED(result_)) uninitialize_ = uninitialize;
  return result_;
}

ComApartment::~ComApartment() {
  if (uninitialize_ != nullptr) uninitialize_();
}
