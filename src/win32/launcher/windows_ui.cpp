#include "win32/launcher/windows_ui.h"

#include <process.h>

#include "win32/wide_text.h"

namespace {
// How long the progress thread may take to close its window before it is terminated.
constexpr DWORD kProgressStopTimeoutMs = 3000;
// How long a box waits for a resumed progress thread to show its window.
constexpr DWORD kProgressShowTimeoutMs = 2000;
}  // namespace

int WindowsUi::ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                              std::uint32_t style) {
  WaitForProgressFrame();
  // The boxes have no owner: asked to take the foreground, they come up in front of the
  // progress frame and active, where Windows lets this process set the foreground window.
  return MessageBoxW(nullptr, Wide(text), Wide(caption), style | MB_SETFOREGROUND);
}

void WindowsUi::WaitForProgressFrame() {
  // The frame activates itself when it is shown: shown after a box, it would cover the box.
  // So a box waits until a resumed thread has shown its frame (or has given up), bounded; the
  // work without boxes goes on meanwhile.
  if (!progressResumed_ || !progressThread_ || !progressShown_) return;
  const HANDLE either[] = {progressShown_.Get(), progressThread_.Get()};
  WaitForMultipleObjects(2, either, FALSE, kProgressShowTimeoutMs);
}

ConfigDialogChoice WindowsUi::ShowConfigDialog() {
  return ShowConfigDialog141(instance_, resources_);
}

void WindowsUi::CreateProgressThread(std::uint16_t titleId) {
  EndProgressThread();
  progressShown_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  progressSetup_ = ProgressWindowSetup{instance_, &resources_, titleId, progressShown_.Get()};
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
    // The frame is usually the foreground window, so this process may still set the foreground
    // now; once the frame is gone Windows may hand the foreground to another program. Keeping
    // the right makes the next box (asked to take the foreground) come up active and in front
    // instead of only flashing in the taskbar. The right lapses on the user's next input
    // elsewhere, and the call fails when the user has already moved to another program.
    AllowSetForegroundWindow(GetCurrentProcessId());
    StopProgressThread(progressThread_.Get(), progressThreadId_, kProgressStopTimeoutMs);
  } else {
    // Never ran: nothing to close, and it holds no lock.
    TerminateThread(progressThread_.Get(), 1);
  }
  progressThread_.Reset();
  progressShown_.Reset();
}
