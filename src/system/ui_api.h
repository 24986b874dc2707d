#pragma once

#include <cstdint>
#include <string>

struct SetupOptions;

constexpr std::uint32_t kMbOk = 0;
constexpr std::uint32_t kMbButtonsMask = 0xF;  // MB_TYPEMASK
constexpr std::uint32_t kMbYesNo = 4;
constexpr std::uint32_t kMbIconError = 0x10;
constexpr std::uint32_t kMbIconInformation = 0x40;
constexpr std::uint32_t kMbRestartOffer = 0x34;  // MB_YESNO | MB_ICONEXCLAMATION
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

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
  // Dialog 141, modal, no owner. "Далее" appends the choice to `options` and returns true;
  // "Отмена", Esc and the close box return false and leave `options` as they were.
  virtual bool ShowConfigDialog(SetupOptions& options) = 0;

  // The progress window's thread: created suspended, resumed, ended before any outcome box.
  virtual void CreateProgressThread(bool installCsp) = 0;
  virtual void ResumeProgressThread() = 0;
  virtual void EndProgressThread() = 0;
};
