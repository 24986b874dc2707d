#include "window_watcher.h"

#include <algorithm>

#include "json_writer.h"

namespace {

// A dialog is read once it has been visible this long, so that it has finished painting.
constexpr DWORD kSettleMs = 60;

std::vector<std::wstring> SplitSteps(const std::wstring& script) {
  std::vector<std::wstring> steps;
  size_t start = 0;
  while (start <= script.size()) {
    const size_t comma = script.find(L',', start);
    const size_t end = comma == std::wstring::npos ? script.size() : comma;
    if (end > start) steps.push_back(script.substr(start, end - start));
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  return steps;
}

int ParseId(const std::wstring& text) {
  wchar_t* end = nullptr;
  const long value = std::wcstol(text.c_str(), &end, 0);
  return (end != nullptr && *end == L'\0' && !text.empty()) ? static_cast<int>(value) : 0;
}

bool Contains(const std::vector<int>& ids, int id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

WindowWatcher::WindowWatcher(DWORD processId, const DriverOptions& options, ReportFile& report)
    : processId_(processId), options_(options), report_(report), startTick_(GetTickCount()) {}

long WindowWatcher::Elapsed() const {
  return static_cast<long>(GetTickCount() - startTick_);
}

void WindowWatcher::Emit(const std::string& eventJson) {
  report_.AddEvent(eventJson);
  report_.Write(false);
}

void WindowWatcher::Hold() const {
  if (options_.holdMs > 0) Sleep(options_.holdMs);
}

namespace {
void WriteRect(JsonWriter& json, HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  json.Key("rect");
  json.BeginArray();
  json.Number(rect.left);
  json.Number(rect.top);
  json.Number(rect.right);
  json.Number(rect.bottom);
  json.EndArray();
}
}  // namespace

void WindowWatcher::Scan() {
  const std::vector<HWND> windows = TopLevelWindowsOf(processId_);

  for (auto it = tracked_.begin(); it != tracked_.end();) {
    const bool alive = std::find(windows.begin(), windows.end(), it->first) != windows.end() &&
                       IsWindow(it->first);
    if (alive) {
      ++it;
      continue;
    }
    if (it->second.reported && !it->second.isDialog) {
      JsonWriter json;
      json.BeginObject();
      json.Key("type");
      json.String(std::string("window-gone"));
      json.Key("t");
      json.Number(Elapsed());
      json.Key("class");
      json.String(it->second.className);
      json.Key("title");
      json.String(it->second.title);
      json.EndObject();
      Emit(json.Text());
    }
    it = tracked_.erase(it);
  }

  for (HWND window : windows) {
    const std::wstring className = ClassNameOf(window);
    auto found = tracked_.find(window);
    if (found == tracked_.end()) {
      Tracked fresh;
      fresh.className = className;
      fresh.isDialog = className == L"#32770";
      found = tracked_.emplace(window, fresh).first;
    }
    if (found->second.isDialog) {
      HandleDialogWindow(window, found->second);
    } else {
      HandleOtherWindow(window, found->second);
    }
  }
}

void WindowWatcher::HandleDialogWindow(HWND window, Tracked& tracked) {
  if (tracked.handled || !IsWindowVisible(window)) return;
  const DWORD now = GetTickCount();
  if (tracked.visibleSince == 0) {
    tracked.visibleSince = now == 0 ? 1 : now;
    return;
  }
  if (now - tracked.visibleSince < kSettleMs) return;
  tracked.handled = true;
  tracked.reported = true;
  const std::vector<ControlInfo> controls = ReadControls(window);
  if (LooksLikeMessageBox(controls)) {
    HandleMessageBox(window, controls);
  } else {
    HandleDialog(window, controls);
  }
}

void WindowWatcher::HandleMessageBox(HWND box, const std::vector<ControlInfo>& controls) {
  const MessageBoxView view = ReadMessageBox(box, controls);

  bool scripted = false;
  std::wstring requested;
  int answer = 0;
  if (nextBox_ < options_.boxAnswers.size()) {
    scripted = true;
    requested = options_.boxAnswers[nextBox_++];
    answer = ButtonId(requested);
    if (answer == 0) answer = ParseId(requested);
  }
  std::wstring answerError;
  if (scripted && !Contains(view.buttons, answer)) {
    answerError = L"the box has no button " + requested;
    answer = 0;
  }
  if (answer == 0) {
    for (int fallback : {IDNO, IDOK, IDCANCEL}) {
      if (Contains(view.buttons, fallback)) {
        answer = fallback;
        break;
      }
    }
  }

  JsonWriter json;
  json.BeginObject();
  json.Key("type");
  json.String(std::string("box"));
  json.Key("t");
  json.Number(Elapsed());
  json.Key("caption");
  json.String(view.caption);
  json.Key("text");
  json.String(view.text);
  json.Key("icon");
  json.String(view.icon);
  json.Key("buttons");
  json.BeginArray();
  for (int id : view.buttons) json.String(ButtonName(id));
  json.EndArray();
  json.Key("answer");
  json.String(answer == 0 ? std::wstring() : ButtonName(answer));
  json.Key("scripted");
  json.Bool(scripted);
  json.Key("answerError");
  json.String(answerError);
  WriteRect(json, box);
  json.EndObject();
  Emit(json.Text());
  Hold();

  if (answer != 0) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(answer), BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
  }
}

void WindowWatcher::ReportDialog(HWND dialog, const std::vector<ControlInfo>& controls,
                                 const std::wstring& step) {
  JsonWriter json;
  json.BeginObject();
  json.Key("type");
  json.String(std::string("dialog"));
  json.Key("t");
  json.Number(Elapsed());
  json.Key("step");
  json.String(step);
  json.Key("title");
  json.String(TextOf(dialog));
  json.Key("visible");
  json.Bool(IsWindowVisible(dialog) != FALSE);
  WriteRect(json, dialog);
  json.Key("controls");
  json.BeginArray();
  for (const ControlInfo& control : controls) {
    json.BeginObject();
    json.Key("id");
    json.Number(control.id);
    json.Key("class");
    json.String(control.className);
    json.Key("text");
    json.String(control.text);
    json.Key("visible");
    json.Bool(control.visible);
    json.Key("enabled");
    json.Bool(control.enabled);
    json.Key("checked");
    json.Number(control.checked);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  Emit(json.Text());
}

void WindowWatcher::HandleDialog(HWND dialog, const std::vector<ControlInfo>& controls) {
  ReportDialog(dialog, controls, L"shown");
  Hold();
  if (nextDialog_ >= options_.dialogScripts.size()) {
    RunDialogStep(dialog, L"command:2");
    return;
  }
  for (const std::wstring& step : SplitSteps(options_.dialogScripts[nextDialog_++])) {
    if (!IsWindow(dialog)) break;
    RunDialogStep(dialog, step);
  }
}

void WindowWatcher::RunDialogStep(HWND dialog, const std::wstring& step) {
  const size_t colon = step.find(L':');
  const std::wstring verb = step.substr(0, colon);
  const std::wstring argument =
      colon == std::wstring::npos ? std::wstring() : step.substr(colon + 1);
  if (verb == L"click") {
    // Sent, not posted, so that a following snapshot sees the click's effect. A click that
    // opens a modal window returns after the time limit and the scan answers that window.
    HWND control = GetDlgItem(dialog, ParseId(argument));
    if (control != nullptr) SendBounded(control, BM_CLICK, 0, 0, nullptr);
  } else if (verb == L"command") {
    const int id = ParseId(argument);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  } else if (verb == L"close") {
    // The close box of the title bar, which the dialog manager turns into command 2.
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (verb == L"wait") {
    Sleep(static_cast<DWORD>(ParseId(argument)));
  } else if (verb == L"snapshot") {
    ReportDialog(dialog, ReadControls(dialog), step);
  } else {
    report_.SetDriverError(L"unknown dialog step " + step);
  }
}

void WindowWatcher::HandleOtherWindow(HWND window, Tracked& tracked) {
  const bool visible = IsWindowVisible(window) != FALSE;
  const bool interesting = visible || tracked.className == L"Message" ||
                           HasDescendantOfClass(window, L"msctls_progress32");
  if (!interesting) return;
  const std::wstring title = TextOf(window);
  if (tracked.reported && title == tracked.title && visible == tracked.visible) return;
  tracked.reported = true;
  tracked.title = title;
  tracked.visible = visible;

  JsonWriter json;
  json.BeginObject();
  json.Key("type");
  json.String(std::string("window"));
  json.Key("t");
  json.Number(Elapsed());
  json.Key("class");
  json.String(tracked.className);
  json.Key("title");
  json.String(title);
  json.Key("visible");
  json.Bool(visible);
  json.Key("progressBar");
  json.Bool(HasDescendantOfClass(window, L"msctls_progress32"));
  WriteRect(json, window);
  json.EndObject();
  Emit(json.Text());
}
