#include "window_probe.h"

#include "icon_match.h"

namespace {

constexpr UINT kSendTimeoutMs = 1000;
constexpr int kMessageBoxTextId = 0xFFFF;

struct EnumState {
  DWORD processId;
  std::vector<HWND>* out;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<EnumState*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == state->processId) state->out->push_back(window);
  return TRUE;
}

BOOL CALLBACK FindClass(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<std::pair<const wchar_t*, bool>*>(param);
  if (ClassNameOf(window) == search->first) {
    search->second = true;
    return FALSE;
  }
  return TRUE;
}

bool IsAnswerId(int id) {
  return id >= IDOK && id <= IDCONTINUE;
}

}  // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
  std::vector<HWND> windows;
  EnumState state{processId, &windows};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
  return windows;
}

std::wstring ClassNameOf(HWND window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, 256);
  return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring TextOf(HWND window) {
  // GetWindowTextW reads another process's window text without sending it a message.
  std::wstring buffer(1024, L'\0');
  for (;;) {
    const int length = GetWindowTextW(window, &buffer[0], static_cast<int>(buffer.size()));
    if (length < 0) return std::wstring();
    if (static_cast<size_t>(length) + 1 < buffer.size()) {
      buffer.resize(static_cast<size_t>(length));
      return buffer;
    }
    if (buffer.size() >= 65536) {
      buffer.resize(static_cast<size_t>(length));
      return buffer;
    }
    buffer.assign(buffer.size() * 4, L'\0');
  }
}

bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
  DWORD_PTR value = 0;
  const LRESULT sent = SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                           kSendTimeoutMs, &value);
  if (result != nullptr) *result = value;
  return sent != 0;
}

std::vector<ControlInfo> ReadControls(HWND parent) {
  std::vector<ControlInfo> controls;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    ControlInfo info;
    info.window = child;
    info.id = GetDlgCtrlID(child);
    info.className = ClassNameOf(child);
    info.text = TextOf(child);
    info.visible = IsWindowVisible(child) != FALSE;
    info.enabled = IsWindowEnabled(child) != FALSE;
    if (_wcsicmp(info.className.c_str(), L"Button") == 0) {
      DWORD_PTR state = 0;
      if (SendBounded(child, BM_GETCHECK, 0, 0, &state)) info.checked = static_cast<int>(state);
    }
    controls.push_back(info);
  }
  return controls;
}

bool LooksLikeMessageBox(const std::vector<ControlInfo>& controls) {
  bool hasText = false;
  bool hasButton = false;
  for (const ControlInfo& control : controls) {
    const bool isStatic = _wcsicmp(control.className.c_str(), L"Static") == 0;
    const bool isButton = _wcsicmp(control.className.c_str(), L"Button") == 0;
    if (isStatic && control.id == kMessageBoxTextId) {
      hasText = true;
    } else if (isButton && IsAnswerId(control.id)) {
      hasButton = hasButton || control.visible;
    } else if (!isStatic) {
      return false;
    } else if ((GetWindowLongW(control.window, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
      return false;
    }
  }
  return hasText && hasButton;
}

MessageBoxView ReadMessageBox(HWND box, const std::vector<ControlInfo>& controls) {
  MessageBoxView view;
  view.caption = TextOf(box);
  view.icon = L"none";
  for (const ControlInfo& control : controls) {
    const bool isStatic = _wcsicmp(control.className.c_str(), L"Static") == 0;
    if (isStatic && control.id == kMessageBoxTextId) {
      view.text = control.text;
    } else if (isStatic && control.visible) {
      view.icon = IdentifyIcon(control.window);
    } else if (!isStatic && control.visible && IsAnswerId(control.id)) {
      view.buttons.push_back(control.id);
    }
  }
  return view;
}

bool HasDescendantOfClass(HWND window, const wchar_t* className) {
  std::pair<const wchar_t*, bool> search{className, false};
  EnumChildWindows(window, FindClass, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

namespace {
const struct {
  int id;
  const wchar_t* name;
} kButtonNames[] = {
    {IDOK, L"ok"},       {IDCANCEL, L"cancel"},     {IDABORT, L"abort"},
    {IDRETRY, L"retry"}, {IDIGNORE, L"ignore"},     {IDYES, L"yes"},
    {IDNO, L"no"},       {IDTRYAGAIN, L"tryagain"}, {IDCONTINUE, L"continue"},
};
}  // namespace

std::wstring ButtonName(int id) {
  for (const auto& entry : kButtonNames) {
    if (entry.id == id) return entry.name;
  }
  return std::to_wstring(id);
}

int ButtonId(const std::wstring& name) {
  for (const auto& entry : kButtonNames) {
    if (name == entry.name) return entry.id;
  }
  return 0;
}
