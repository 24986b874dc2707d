// Boxes shown in other users' sessions, one thread each, and the sessions' connection and lock.
#include "win32/launcher/session_questions.h"

#include <windows.h>

#include <wtsapi32.h>

#include <cstddef>

#include "win32/find_export.h"
#include "win32/system_libraries.h"
#include "win32/wide_text.h"

namespace {

// A question's thread only waits in WTSSendMessageW: a small stack, so that a host with many
// sessions does not run out of address space for them.
constexpr SIZE_T kThreadStack = 64 * 1024;

// WTSINFOEXW holding WTSINFOEX_LEVEL1_W, which the SDK of this build lacks. The level's times
// align it to 8 bytes.
struct SessionInfoLevel1 {
  ULONG sessionId;
  DWORD connectState;  // WTS_CONNECTSTATE_CLASS
  LONG sessionFlags;
  WCHAR winStationName[33];
  WCHAR userName[21];
  WCHAR domainName[18];
  LARGE_INTEGER times[5];  // logon, connect, disconnect, last input, current
  DWORD counters[6];
};
struct SessionInfoEx {
  DWORD level;
  SessionInfoLevel1 data;
};
static_assert(offsetof(SessionInfoEx, data) == 8, "WTSINFOEXW as Windows lays it out");
static_assert(sizeof(SessionInfoEx) == 232, "WTSINFOEXW as Windows lays it out");

constexpr auto kSessionInfoEx = static_cast<WTS_INFO_CLASS>(25);  // WTSSessionInfoEx
constexpr LONG kSessionLock = 0;                                  // WTS_SESSIONSTATE_LOCK
constexpr LONG kSessionUnlock = 1;                                // WTS_SESSIONSTATE_UNLOCK

// Memory that wtsapi32 allocated for its answer.
using WtsMemory = OwnedBy<wchar_t*, CloseThrough<decltype(&::WTSFreeMemory)>>;

struct Question {
  AnswerBlock* block = nullptr;
  SessionQuestion asked;
  LONG answer = kAnswerPending;  // until the box is closed; written and read interlocked
};

}  // namespace

struct AnswerBlock {
  LONG references;
  OwnedModule module;  // kept loaded while a thread may be inside WTSSendMessageW
  decltype(&::WTSSendMessageW) send;
  std::vector<Question> questions;
};

namespace {

void Release(AnswerBlock* block) {
  if (block != nullptr && InterlockedDecrement(&block->references) == 0) delete block;
}

// Waits for the box's end (its answer, or IDTIMEOUT); the lengths are in bytes, without the
// terminating zero.
DWORD WINAPI Ask(void* parameter) {
  Question& question = *static_cast<Question*>(parameter);
  SessionQuestion& asked = question.asked;
  DWORD response = 0;
  const BOOL shown = question.block->send(
      WTS_CURRENT_SERVER_HANDLE, asked.sessionId, Wide(&asked.title[0]),
      static_cast<DWORD>(asked.title.size() * sizeof(char16_t)), Wide(&asked.text[0]),
      static_cast<DWORD>(asked.text.size() * sizeof(char16_t)), asked.style, asked.timeoutSeconds,
      &response, TRUE);
  InterlockedExchange(&question.answer, static_cast<LONG>(shown ? response : kAnswerNotShown));
  Release(question.block);
  return 0;
}

}  // namespace

SessionQuestions::~SessionQuestions() {
  Release(answers_);
}

// WTSSessionInfoEx came with Windows 7 and Server 2008 R2, which (6.1) set the lock flags the
// other way round; on Vista and Server 2008 every session reads as unknown.
SessionState SessionQuestions::ReadState(std::uint32_t sessionId) {
  if (!module_) module_.Reset(LoadSystemLibrary(L"wtsapi32.dll", search_));
  decltype(&::WTSQuerySessionInformationW) query = nullptr;
  decltype(&::WTSFreeMemory) freeMemory = nullptr;
  wchar_t* buffer = nullptr;
  DWORD bytes = 0;
  if (!module_ || !FindExport(module_.Get(), "WTSQuerySessionInformationW", &query) ||
      !FindExport(module_.Get(), "WTSFreeMemory", &freeMemory)) {
    return SessionState::kUnknown;
  }
  if (!query(WTS_CURRENT_SERVER_HANDLE, sessionId, kSessionInfoEx, &buffer, &bytes)) {
    // Vista and Server 2008 know no WTSSessionInfoEx: the connection state alone, and a user
    // who may be away is asked all the same.
    if (!query(WTS_CURRENT_SERVER_HANDLE, sessionId, WTSConnectState, &buffer, &bytes)) {
      return SessionState::kUnknown;
    }
    const WtsMemory owner(freeMemory, buffer);
    return buffer != nullptr && bytes >= sizeof(INT) && *reinterpret_cast<INT*>(buffer) == WTSActive
               ? SessionState::kActive
               : SessionState::kDisconnected;
  }
  const WtsMemory owner(freeMemory, buffer);
  const auto* info = reinterpret_cast<const SessionInfoEx*>(buffer);
  if (buffer == nullptr || bytes < sizeof *info || info->level != 1) return SessionState::kUnknown;
  if (info->data.connectState != WTSActive) return SessionState::kDisconnected;
  // A lock that Windows does not know (WTS_SESSIONSTATE_UNKNOWN): asked, as on Vista.
  if (info->data.sessionFlags != kSessionLock && info->data.sessionFlags != kSessionUnlock) {
    return SessionState::kActive;
  }
  OsVersion version;
  version.size = OsVersion::kExtendedSize;
  const bool reversed =
      platform_.ReadNtVersion(&version) && version.major == 6 && version.minor == 1;
  return (info->data.sessionFlags == kSessionLock) != reversed ? SessionState::kLocked
                                                               : SessionState::kActive;
}

bool SessionQuestions::Send(const std::vector<SessionQuestion>& questions) {
  OwnedModule module(LoadSystemLibrary(L"wtsapi32.dll", search_));
  decltype(&::WTSSendMessageW) send = nullptr;
  if (!module || !FindExport(module.Get(), "WTSSendMessageW", &send)) return false;
  Release(answers_);
  answers_ = new AnswerBlock{1, std::move(module), send, std::vector<Question>(questions.size())};
  // The vector has its final size before the first thread starts: no question moves.
  for (std::size_t i = 0; i < questions.size(); ++i) {
    Question& question = answers_->questions[i];
    question.block = answers_;
    question.asked = questions[i];
    InterlockedIncrement(&answers_->references);
    const KernelHandle thread(CreateThread(nullptr, kThreadStack, Ask, &question,
                                           STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread) {
      question.answer = static_cast<LONG>(kAnswerNotShown);
      InterlockedDecrement(&answers_->references);
    }
  }
  return true;
}

std::vector<std::uint32_t> SessionQuestions::Answers() const {
  const std::size_t count = answers_ != nullptr ? answers_->questions.size() : 0;
  std::vector<std::uint32_t> answers(count);
  for (std::size_t i = 0; i < count; ++i) {
    answers[i] = static_cast<std::uint32_t>(
        InterlockedCompareExchange(&answers_->questions[i].answer, 0, 0));
  }
  return answers;
}
