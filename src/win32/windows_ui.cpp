#include "win32/windows_ui.h"

#include <process.h>

#include "win32/wide_text.h"

namespace {
// How long the progress thread may take to close its window before it is terminated.
constexpr DWORD kProgressStopTimeoutMs = 3000;
}  // namespace

int WindowsUi::ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                              std::uint32_t style) {
  return MessageBoxW(nullptr, Wide(text), Wide(caption), style);
}

bool WindowsUi::ShowConfigDialog(SetupOptions& options) {
  return ShowConfigDialog141(instance_, resources_, options);
}

void WindowsUi::CreateProgressThread(bool installCsp) {
  EndProgressThread();
  progressSetup_ = ProgressWindowSetup{instance_, &resources_, installCsp};
  progressResumed_ = false;
  std::uintptr_t thread = _beginthreadex(nullptr, 0, ProgressThread, &progressSetup_,
                                         CREATE_SUSPENDED, &progressThreadId_);
  // A thread that cannot be created leaves the run without a progress window.
  progressThread_.Reset(reinterpret_cast<HANDLE>(thread));
}

void WindowsUi::ResumeProgressThread() {
  if (!progressThread_ || progressResumed_) return;
  ResumeThread(progressThread_.Get());
  progressResumed_ = true;
}

void WindowsUi::EndProgressThread() {
  if (!progressThread_) return;
  if (progressResumed_) {
    StopProgressThread(progressThread_.Get(), progressThreadId_, kProgressStopTimeoutMs);
  } else {
    // Never ran: nothing to close, and it holds no lock.
    TerminateThread(progressThread_.Get(), 1);
  }
  progressThread_.Reset();
}
