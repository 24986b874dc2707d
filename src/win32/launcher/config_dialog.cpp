#include "win32/launcher/ui_windows.h"

#include <iterator>
#include <string>

#include "ui/config_dialog_choice.h"
#include "win32/handles.h"
#include "win32/wide_text.h"

namespace {

// One showing of the dialog: what the procedure reads and writes.
struct DialogSession {
  HINSTANCE instance;
  ResourceApi& resources;
  ConfigDialogChoice choice;  // "Далее" with nothing checked until the dialog ends
  OwnedIcon icon;             // loaded without LR_SHARED: the program destroys it
};

DialogSession* SessionOf(HWND dialog) {
  return reinterpret_cast<DialogSession*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void InitDialog(HWND dialog, DialogSession& session) {
  session.icon.Reset(static_cast<HICON>(
      LoadImageW(session.instance, MAKEINTRESOURCEW(kConfigDialogIconId), IMAGE_ICON,
                 kConfigDialogIconSize, kConfigDialogIconSize, LR_DEFAULTCOLOR)));
  if (session.icon) {
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(session.icon.Get()));
  }
  for (int id : InitialCheckedButtons(GetSystemDefaultUILanguage())) {
    CheckDlgButton(dialog, id, BST_CHECKED);
  }
}

void SwitchView(HWND dialog, ResourceApi& resources) {
  wchar_t caption[kOptionsCaptionReadLimit + 1] = {};
  const int length = GetWindowTextW(GetDlgItem(dialog, kCtlOptions), caption,
                                    static_cast<int>(std::size(caption)));
  const ViewSwitch view = SwitchOptionsView(
      resources, std::u16string(reinterpret_cast<const char16_t*>(caption),
                                static_cast<std::size_t>(length > 0 ? length : 0)));
  for (const ControlVisibility& control : view.controls) {
    ShowWindow(GetDlgItem(dialog, control.id), control.visible ? SW_SHOW : SW_HIDE);
  }
  SetDlgItemTextW(dialog, kCtlOptions, Wide(view.caption));
}

// Translates the dialog's messages; every decision is made by the portable dialog code.
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    InitDialog(dialog, *reinterpret_cast<DialogSession*>(lParam));
    return TRUE;
  }
  DialogSession* session = SessionOf(dialog);
  if (session == nullptr) return FALSE;  // messages before WM_INITDIALOG
  switch (message) {
    case WM_COMMAND:
      switch (ClassifyDialogCommand(LOWORD(wParam))) {
        case DialogCommand::kCancel:
          session->choice.proceed = false;
          EndDialog(dialog, 0);
          return TRUE;
        case DialogCommand::kProceed:
          for (int id : kChoiceButtons) {
            if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) session->choice.Check(id);
          }
          EndDialog(dialog, 0);
          return TRUE;
        case DialogCommand::kSwitchView:
          SwitchView(dialog, session->resources);
          return FALSE;
        case DialogCommand::kIgnore:
          return FALSE;
      }
      return FALSE;
    case WM_DESTROY:
      session->icon.Reset();
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

ConfigDialogChoice ShowConfigDialog141(HINSTANCE instance, ResourceApi& resources) {
  DialogSession session{instance, resources, {true, 0}, {}};
  // The result is not looked at: a dialog that cannot be shown lets the run go on.
  DialogBoxParamW(instance, MAKEINTRESOURCEW(kConfigDialogId), nullptr, ConfigDialogProc,
                  reinterpret_cast<LPARAM>(&session));
  return session.choice;
}
