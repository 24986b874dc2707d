#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "driver_options.h"
#include "report_file.h"
#include "window_probe.h"

// Watches the top-level windows of one process and reports them:
// - a message box (class #32770 with only a text, an icon and answer buttons): caption, text,
//   buttons, icon; answered from the --box list;
// - any other dialog (class #32770): title and controls; driven by the --dialog list;
// - a window of class "Message", a window with a progress bar, or any other visible window:
//   class, title, visibility and screen rectangle when first seen and whenever the title or
//   the visibility changes, and when it goes away.
class WindowWatcher {
 public:
  WindowWatcher(DWORD processId, const DriverOptions& options, ReportFile& report);

  // Looks at the process's windows once and acts on what is new.
  void Scan();

 private:
  struct Tracked {
    bool isDialog = false;
    bool handled = false;
    bool reported = false;
    DWORD visibleSince = 0;
    std::wstring className;
    std::wstring title;
    bool visible = false;
  };

  void HandleDialogWindow(HWND window, Tracked& tracked);
  void HandleMessageBox(HWND box, const std::vector<ControlInfo>& controls);
  void HandleDialog(HWND dialog, const std::vector<ControlInfo>& controls);
  void ReportDialog(HWND dialog, const std::vector<ControlInfo>& controls,
                    const std::wstring& step);
  void RunDialogStep(HWND dialog, const std::wstring& step);
  void HandleOtherWindow(HWND window, Tracked& tracked);
  void Emit(const std::string& eventJson);
  // With --hold-ms: waits before the window is touched, so that it can be photographed.
  void Hold() const;
  long Elapsed() const;

  DWORD processId_;
  const DriverOptions& options_;
  ReportFile& report_;
  DWORD startTick_;
  size_t nextBox_ = 0;
  size_t nextDialog_ = 0;
  std::map<HWND, Tracked> tracked_;
};
