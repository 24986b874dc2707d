#pragma once

// Questions to the users of other sessions (WTSSendMessageW of wtsapi32.dll), and what a
// session is to a question: connected, locked or not.

#include <cstdint>
#include <vector>

#include "system/holders_api.h"
#include "system/platform_api.h"
#include "win32/dll_search.h"
#include "win32/handles.h"

struct AnswerBlock;

// wtsapi32.dll is loaded from the system directory when first needed. Each question is shown
// by a thread of its own, which may still wait for its box when this object is gone: the
// answers and the DLL belong to those threads and this object together, and the last to
// leave frees them.
class SessionQuestions {
 public:
  SessionQuestions(DllSearch search, PlatformApi& platform)
      : search_(search), platform_(platform) {}
  ~SessionQuestions();
  SessionQuestions(const SessionQuestions&) = delete;
  SessionQuestions& operator=(const SessionQuestions&) = delete;

  // HoldersApi::ReadSessionState, SendQuestions and ReadAnswers.
  SessionState ReadState(std::uint32_t sessionId);
  bool Send(const std::vector<SessionQuestion>& questions);
  std::vector<std::uint32_t> Answers() const;

 private:
  DllSearch search_;
  PlatformApi& platform_;  // the Windows version, which tells how the lock reads
  OwnedModule module_;     // for ReadState
  AnswerBlock* answers_ = nullptr;
};
