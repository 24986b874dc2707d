#pragma once

#include <cstdint>
#include <string>

constexpr std::uint32_t kMbOk = 0;
constexpr std::uint32_t kMbButtonsMask = 0xF;  // MB_TYPEMASK
constexpr std::uint32_t kMbYesNo = 4;
constexpr std::uint32_t kMbIconError = 0x10;
constexpr std::uint32_t kMbIconQuestion = 0x20;
constexpr std::uint32_t kMbIconWarning = 0x30;  // MB_ICONEXCLAMATION
constexpr std::uint32_t kMbIconInformation = 0x40;
constexpr std::uint32_t kMbTopmostForeground = 0x50000;  // MB_TOPMOST | MB_SETFOREGROUND
constexpr std::uint32_t kMbRestartOffer = 0x34;          // MB_YESNO | MB_ICONEXCLAMATION
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// What dialog 141 ended with: "Далее" (`proceed`) and the radio buttons then checked, or
// "Отмена", Esc or the close box (`proceed` false). A button is told by its control id; the
// dialog's radio buttons have ids within 32 consecutive numbers, so each has a bit of its own.
struct ConfigDialogChoice {
  bool proceed = false;
  std::uint32_t checked = 0;

  void Check(int controlId) { checked |= 1u << (controlId & 31); }
  bool IsChecked(int controlId) const { return ((checked >> (controlId & 31)) & 1u) != 0; }
};

// Windows user interface: message boxes, dialog 141 and the progress window's thread.
class UiApi {
 public:
  virtual ~UiApi() = default;

  // Whether somebody can see this process's windows. Where nobody can, the core shows no box
  // and no dialog and goes on as after the safe answer. True when it cannot be told.
  virtual bool SomebodyCanSee() { return true; }

  // MessageBoxW with no owner window; returns the button (0 when no box could be shown).
  virtual int ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                             std::uint32_t style) = 0;
  // Dialog 141, modal, no owner: the choice it ended with. A dialog that cannot be shown at
  // all ends as "Далее" with nothing checked.
  virtual ConfigDialogChoice ShowConfigDialog() = 0;

  // The progress window's thread: created suspended, resumed, ended before any outcome box.
  // The window's title is string `titleId`.
  virtual void CreateProgressThread(std::uint16_t titleId) = 0;
  virtual void ResumeProgressThread() = 0;
  virtual void EndProgressThread() = 0;
};
