#pragma once

#include <windows.h>

#include "system/ui_api.h"
#include "win32/handles.h"

// UiApi over user32: message boxes, dialog 141 and the progress window's thread.
class WindowsUi : public UiApi {
 public:
  explicit WindowsUi(HINSTANCE instance) : instance_(instance) {}

  int ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                     std::uint32_t style) override;
  bool ShowConfigDialog(SetupOptions& options) override;
  void CreateProgressThread(bool installCsp) override;
  void ResumeProgressThread() override;
  void EndProgressThread() override;

 private:
  HINSTANCE instance_;
  KernelHandle progressThread_;
};
