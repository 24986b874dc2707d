#include "win32/launcher/ui_windows.h"

#include <commctrl.h>

#include <string>

#include "ui/localized_strings.h"
#include "ui/progress_window_layout.h"
#include "win32/handles.h"
#include "win32/wide_text.h"

namespace {

// The frame's class name. The program registers its own class under this name for its module,
// which Windows and Wine look up before the system class of the same name: the system one keeps
// no title and never finishes painting under Wine. The procedure is DefWindowProcW, so the
// frame's messages still get the default treatment.
constexpr wchar_t kFrameClassName[] = L"Message";

// The frame's window class, unregistered when the thread leaves (after its windows are gone).
class FrameClass {
 public:
  explicit FrameClass(HINSTANCE instance) : instance_(instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kFrameClassName;
    registered_ = RegisterClassExW(&windowClass) != 0;
  }
  ~FrameClass() {
    if (registered_) UnregisterClassW(kFrameClassName, instance_);
  }
  FrameClass(const FrameClass&) = delete;
  FrameClass& operator=(const FrameClass&) = delete;

 private:
  HINSTANCE instance_;
  bool registered_ = false;
};

// A top-level window, destroyed with its owner; its child windows go with it.
using OwnedWindow = Owned<HWND, DestroyWindow>;

// The last resort: termination is asynchronous, so give the system a moment to finish it and
// take the thread's windows away.
void Terminate(HANDLE thread) {
  constexpr DWORD kTerminationWaitMs = 200;
  TerminateThread(thread, 1);
  WaitForSingleObject(thread, kTerminationWaitMs);
}

}  // namespace

unsigned __stdcall ProgressThread(void* setupPointer) {
  if (setupPointer == nullptr) return 0;
  const ProgressWindowSetup& setup = *static_cast<const ProgressWindowSetup*>(setupPointer);
  const std::u16string title = setup.resources == nullptr
                                   ? std::u16string()
                                   : LoadLocalizedString(*setup.resources, setup.titleId);
  const FrameOrigin origin =
      ProgressFrameOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));

  const FrameClass frameClass(setup.instance);
  const OwnedWindow frame(CreateWindowExW(0, kFrameClassName, Wide(title), 0, origin.left,
                                          origin.top, kProgressFrameWidth, kProgressFrameHeight,
                                          nullptr, nullptr, setup.instance, nullptr));
  if (!frame) return 0;
  // A child window: destroyed together with the frame.
  const HWND bar =
      CreateWindowExW(0, PROGRESS_CLASSW, nullptr, kProgressBarStyle, 0, 0, kProgressBarWidth,
                      kProgressBarHeight, frame.Get(), nullptr, setup.instance, nullptr);
  if (bar == nullptr) return 0;
  SendMessageW(bar, PBM_SETMARQUEE, TRUE, kProgressMarqueeIntervalMs);
  ShowWindow(frame.Get(), SW_SHOWNORMAL);
  UpdateWindow(frame.Get());
  if (setup.shown != nullptr) SetEvent(setup.shown);

  // GetMessageW returns 0 for the quit message and -1 on an error: both end the loop.
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}

void StopProgressThread(HANDLE thread, DWORD threadId, DWORD timeoutMs) {
  // The thread gets its message queue only when it starts making windows, so a quit message
  // posted earlier is refused: repeat until it is taken or the thread has ended. The thread's
  // state is checked first so that the id is never used once the thread is gone.
  const DWORD start = GetTickCount();
  constexpr DWORD kRetryMs = 5;
  for (;;) {
    if (WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) return;
    if (PostThreadMessageW(threadId, WM_QUIT, 0, 0)) break;
    if (GetTickCount() - start >= timeoutMs) return Terminate(thread);
    Sleep(kRetryMs);
  }
  const DWORD spent = GetTickCount() - start;
  const DWORD left = spent >= timeoutMs ? 0 : timeoutMs - spent;
  if (WaitForSingleObject(thread, left) != WAIT_OBJECT_0) Terminate(thread);
}
