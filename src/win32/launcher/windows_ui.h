#pragma once

#include <windows.h>

#include "system/resource_api.h"
#include "system/ui_api.h"
#include "win32/handles.h"
#include "win32/launcher/ui_windows.h"

// UiApi over user32: message boxes, dialog 141 and the progress window's thread.
class WindowsUi : public UiApi {
 public:
  WindowsUi(HINSTANCE instance, ResourceApi& resources)
      : instance_(instance), resources_(resources) {}
  // Ends the progress thread, resumed or not: none outlives its owner.
  ~WindowsUi() override { EndProgressThread(); }
  WindowsUi(const WindowsUi&) = delete;
  WindowsUi& operator=(const WindowsUi&) = delete;

  // Whether anybody can see the windows of this process, decided once at start.
  void SetSomebodyCanSee(bool canSee) { somebodyCanSee_ = canSee; }
  bool SomebodyCanSee() override { return somebodyCanSee_; }
  int ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                     std::uint32_t style) override;
  ConfigDialogChoice ShowConfigDialog() override;
  void CreateProgressThread(std::uint16_t titleId) override;
  void ResumeProgressThread() override;
  void EndProgressThread() override;

 private:
  void WaitForProgressFrame();

  HINSTANCE instance_;
  ResourceApi& resources_;
  // Read by the progress thread; lives as long as this object, past the thread's end.
  ProgressWindowSetup progressSetup_;
  KernelHandle progressThread_;
  KernelHandle progressShown_;
  unsigned progressThreadId_ = 0;
  bool progressResumed_ = false;
  bool somebodyCanSee_ = true;
};
