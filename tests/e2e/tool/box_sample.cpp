// A small GUI program whose windows and exit code are chosen by its command line, for checking
// e2e_driver itself. Directives, in order:
//   box STYLE CAPTION TEXT    MessageBoxW with the hexadecimal style; "\n" and "\t" in TEXT
//                             and CAPTION stand for a line feed and a tab
//   progress TITLE MS         a top-level window with a progress bar, shown for MS milliseconds
//   dialog                    a dialog with check box 100 and OK/Cancel; its result is
//                             10 * button + check state
//   spawn COMMAND             runs the command line as a child process and waits for it
//   sleep MS
//   exit CODE                 the exit code (unsigned decimal), or "answers": the answers of the
//                             boxes and dialogs so far as decimal digits, in order
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::wstring Unescape(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\\' && i + 1 < text.size() && (text[i + 1] == L'n' || text[i + 1] == L't')) {
      out += text[i + 1] == L'n' ? L'\n' : L'\t';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

LRESULT CALLBACK SampleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

void ShowProgress(HINSTANCE instance, const std::wstring& title, DWORD ms) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = SampleWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"SampleProgress";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, L"SampleProgress", title.c_str(), WS_OVERLAPPED | WS_CAPTION,
                                100, 100, 300, 100, nullptr, nullptr, instance, nullptr);
  CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 10, 10, 200, 20, window, nullptr,
                  instance, nullptr);
  ShowWindow(window, SW_SHOW);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(10);
  }
  DestroyWindow(window);
}

INT_PTR CALLBACK SampleDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    const LRESULT checked = SendDlgItemMessageW(dialog, 100, BM_GETCHECK, 0, 0);
    EndDialog(dialog, LOWORD(wParam) * 10 + checked);
    return TRUE;
  }
  return FALSE;
}

// Appends one WORD-aligned dialog item to an in-memory template.
void AddItem(std::vector<WORD>& t, DWORD style, short x, short y, short cx, short cy, WORD id,
             WORD classAtom, const wchar_t* text) {
  if (t.size() % 2 != 0) t.push_back(0);  // DLGITEMTEMPLATE is DWORD-aligned
  const DLGITEMTEMPLATE item = {style | WS_CHILD | WS_VISIBLE, 0, x, y, cx, cy, id};
  const WORD* raw = reinterpret_cast<const WORD*>(&item);
  t.insert(t.end(), raw, raw + sizeof item / sizeof(WORD));
  t.push_back(0xFFFF);
  t.push_back(classAtom);
  for (const wchar_t* c = text; *c != 0; ++c) t.push_back(static_cast<WORD>(*c));
  t.push_back(0);
  t.push_back(0);  // no creation data
}

INT_PTR ShowDialog(HINSTANCE instance) {
  std::vector<WORD> t;
  const DLGTEMPLATE header = {
      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 0, 3, 0, 0, 160, 60};
  const WORD* raw = reinterpret_cast<const WORD*>(&header);
  t.insert(t.end(), raw, raw + sizeof header / sizeof(WORD));
  t.push_back(0);  // no menu
  t.push_back(0);  // default class
  for (const wchar_t* c = L"Sample dialog"; *c != 0; ++c) t.push_back(static_cast<WORD>(*c));
  t.push_back(0);
  AddItem(t, BS_AUTOCHECKBOX | WS_TABSTOP, 10, 10, 100, 12, 100, 0x0080, L"Option");
  AddItem(t, BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 35, 50, 14, IDOK, 0x0080, L"OK");
  AddItem(t, BS_PUSHBUTTON | WS_TABSTOP, 70, 35, 50, 14, IDCANCEL, 0x0080, L"Cancel");
  if (t.size() % 2 != 0) t.push_back(0);
  return DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr,
                                 SampleDialogProc, 0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return 1;
  std::vector<std::wstring> args(argv + 1, argv + argc);
  LocalFree(argv);

  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);

  std::wstring answers;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& directive = args[i];
    if (directive == L"box" && i + 3 < args.size()) {
      const auto style = static_cast<UINT>(std::wcstoul(args[i + 1].c_str(), nullptr, 16));
      const int answer =
          MessageBoxW(nullptr, Unescape(args[i + 3]).c_str(), Unescape(args[i + 2]).c_str(), style);
      answers += std::to_wstring(answer);
      i += 3;
    } else if (directive == L"progress" && i + 2 < args.size()) {
      ShowProgress(instance, args[i + 1],
                   static_cast<DWORD>(std::wcstoul(args[i + 2].c_str(), nullptr, 10)));
      i += 2;
    } else if (directive == L"dialog") {
      answers += std::to_wstring(ShowDialog(instance));
    } else if (directive == L"spawn" && i + 1 < args.size()) {
      std::wstring command = args[i + 1];
      STARTUPINFOW startup = {};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION child = {};
      if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                         nullptr, &startup, &child)) {
        WaitForSingleObject(child.hProcess, INFINITE);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
      }
      i += 1;
    } else if (directive == L"sleep" && i + 1 < args.size()) {
      Sleep(static_cast<DWORD>(std::wcstoul(args[i + 1].c_str(), nullptr, 10)));
      i += 1;
    } else if (directive == L"exit" && i + 1 < args.size()) {
      const std::wstring& code = args[i + 1] == L"answers" ? answers : args[i + 1];
      return static_cast<int>(static_cast<UINT>(std::wcstoul(code.c_str(), nullptr, 10)));
    } else {
      return 1;
    }
  }
  return 0;
}
