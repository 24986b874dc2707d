#include "win32/windows_ui.h"

#include <process.h>

#include "win32/ui_windows.h"
#include "win32/wide_text.h"

namespace {
// How long the end of the progress thread may take to show before the caller goes on.
constexpr DWORD kProgressEndWait = 2000;
}  // namespace

int WindowsUi::ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                              std::uint32_t style) {
  return MessageBoxW(nullptr, Wide(text), Wide(caption), style);
}

bool WindowsUi::ShowConfigDialog(SetupOptions& options) {
  return ShowConfigDialog141(instance_, options);
}

void WindowsUi::CreateProgressThread(bool installCsp) {
  SetProgressInstallCsp(installCsp);
  std::uintptr_t thread =
      _beginthreadex(nullptr, 0, ProgressThread, instance_, CREATE_SUSPENDED, nullptr);
  // A thread that cannot be created leaves the run without a progress window.
  progressThread_.Reset(reinterpret_cast<HANDLE>(thread));
}

void WindowsUi::ResumeProgressThread() {
  if (progressThread_) ResumeThread(progressThread_.Get());
}

void WindowsUi::EndProgressThread() {
  if (!progressThread_) return;
  TerminateThread(progressThread_.Get(), 1);
  // TerminateThread only starts the end; waiting for it takes the window off the screen before
  // the caller shows its outcome box.
  WaitForSingleObject(progressThread_.Get(), kProgressEndWait);
  progressThread_.Reset();
}
