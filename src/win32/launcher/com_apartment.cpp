#include "win32/launcher/com_apartment.h"

#include "common/number_text.h"
#include "win32/find_export.h"
#include "win32/launcher/run_log_entry.h"

namespace {

HRESULT LastErrorResult() {
  const DWORD error = GetLastError();
  return HRESULT_FROM_WIN32(error != ERROR_SUCCESS ? error : ERROR_MOD_NOT_FOUND);
}

// The answer in the run log, in the hexadecimal form that HRESULTs are looked up by. Any
// failure is only recorded: the installer calls go on as they would.
void LogAnswer(HRESULT answer) {
  char line[] = "COM: CoInitializeEx (multithreaded) answered 0x00000000";
  const auto value = static_cast<unsigned long>(answer);
  char* digit = line + sizeof line - 2;
  for (int shift = 0; shift < 32; shift += 4, --digit)
    *digit = static_cast<char>(HexDigit(value >> shift));
  AppendToRunLog(line);
}

}  // namespace

HRESULT ComApartment::Enter() {
  if (tried_) return result_;
  tried_ = true;
  result_ = Initialize();
  LogAnswer(result_);
  return result_;
}

HRESULT ComApartment::Initialize() {
  ole32_.Reset(LoadSystemLibrary(L"ole32.dll", search_));
  if (!ole32_) return LastErrorResult();
  decltype(&::CoInitializeEx) initialize = nullptr;
  decltype(&::CoUninitialize) uninitialize = nullptr;
  if (!FindExport(ole32_.Get(), "CoInitializeEx", &initialize) ||
      !FindExport(ole32_.Get(), "CoUninitialize", &uninitialize)) {
    return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  }
  // The multithreaded apartment: this thread later waits for each child without pumping
  // messages, and a single-threaded apartment would give it COM's hidden window, to which
  // calls and broadcasts are posted. "The threads need not retrieve and dispatch messages
  // because COM does not use window messages in this model" (Multithreaded Apartments).
  // The Windows Installer asks only that COM be initialised on the thread.
  const HRESULT answer = initialize(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE);
  // S_FALSE counts as an initialisation too and is balanced; RPC_E_CHANGED_MODE is not.
  if (SUCCEEDED(answer)) uninitialize_ = uninitialize;
  return answer;
}

ComApartment::~ComApartment() {
  if (uninitialize_ != nullptr) uninitialize_();
}
