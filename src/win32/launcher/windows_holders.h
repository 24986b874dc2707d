#pragma once

// HoldersApi over the Restart Manager, wtsapi32, the clock of kernel32 and the launcher's key.

#include "system/holders_api.h"
#include "system/platform_api.h"
#include "win32/dll_search.h"
#include "win32/launcher/postponement_store.h"
#include "win32/launcher/restart_manager.h"
#include "win32/launcher/session_questions.h"

class WindowsHolders final : public HoldersApi {
 public:
  // `platform` tells the Windows version where a session's lock is read.
  WindowsHolders(DllSearch search, PlatformApi& platform)
      : restartManager_(search), questions_(search, platform) {}

  bool HasRestartManager() override { return restartManager_.Load(); }
  SysResult<bool> ListHolders(const std::vector<std::u16string>& files,
                              std::vector<FileHolder>* holders) override {
    return restartManager_.List(files, holders);
  }
  SessionState ReadSessionState(std::uint32_t sessionId) override {
    return questions_.ReadState(sessionId);
  }
  bool SendQuestions(const std::vector<SessionQuestion>& questions) override {
    return questions_.Send(questions);
  }
  std::vector<std::uint32_t> ReadAnswers() override { return questions_.Answers(); }

  std::uint32_t NowSeconds() override;
  CalendarTime LocalNow() override;

  SysResult<bool> ReadPostponement(std::u16string* text) override {
    return postponements_.Read(text);
  }
  SysResult<bool> WritePostponement(const std::u16string& text) override {
    return postponements_.Write(text);
  }
  SysResult<bool> DeletePostponement() override { return postponements_.Delete(); }

 private:
  RestartManager restartManager_;
  SessionQuestions questions_;
  PostponementStore postponements_;
};
