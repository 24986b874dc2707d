// Who holds the installed plug-in's files, and the question to their users: one message per
// user session at the same time, then a look every few seconds until nothing holds the files,
// somebody postpones, or the time is up.

#include "actions/close_request.h"

#include "actions/postponement.h"
#include "common/number_text.h"
#include "log/log_lines.h"
#include "ui/close_question.h"
#include "ui/localized_strings.h"
#include "ui/string_ids.h"

namespace {

constexpr std::uint32_t kRequeryMs = 3000;  // scanners let go of a file within seconds
constexpr std::uint32_t kPollSeconds = 5;

// A holder whose user can be asked: a process of a user session, not a service.
bool Askable(const FileHolder& holder) {
  return holder.sessionId != 0 && holder.sessionId != kInvalidSession &&
         holder.appType != kRmService && holder.appType != kRmCritical;
}

// One user session to ask, and its programs that hold the files, as the question lists them.
struct AskedSession {
  std::uint32_t id;
  std::u16string names;
  std::size_t count;
};

// The user sessions that hold `files` now into `sessions` (none: nothing a user can close holds
// them), each holder logged when `log` is set. False when the query failed: who holds the files
// is not known then, which never counts as nobody.
bool HoldingSessions(const System& sys, const std::vector<std::u16string>& files, bool log,
                     std::vector<AskedSession>& sessions) {
  std::vector<FileHolder> holders;
  const SysResult<bool> listed = sys.holders->ListHolders(files, &holders);
  if (!listed.value) {
    sys.log.Line({"file holders: the Restart Manager failed, error ", ErrorCodeText(listed.error)});
    return false;
  }
  if (log && holders.empty()) sys.log.Line({"file holders: none"});
  sessions.clear();
  for (const FileHolder& holder : holders) {
    const std::u16string name = SafeHolderName(holder.appName);
    if (log) {
      sys.log.Line({"file holder: ", Quoted(name), ", process ", DecimalText(holder.processId),
                    ", session ", SignedText(static_cast<int>(holder.sessionId)),
                    Askable(holder) ? u"" : u", not a user's program"});
    }
    if (!Askable(holder)) continue;
    AskedSession* session = nullptr;
    for (AskedSession& known : sessions) session = known.id == holder.sessionId ? &known : session;
    if (session == nullptr) session = &sessions.emplace_back(AskedSession{holder.sessionId, {}, 0});
    // Each name once; past the last one shown, one "…".
    std::u16string line = HolderLine(session->count < kHolderNamesShown ? name : u"…");
    if ((session->names + u'\n').find(line + u'\n') != std::u16string::npos) continue;
    session->names.append(line);
    ++session->count;
  }
  return true;
}

// The question, from its first look at the holders to its verdict.
class CloseRequest {
 public:
  CloseRequest(const System& sys, const SetupState& state, const std::vector<std::u16string>& files,
               const std::u16string& version)
      : sys_(sys),
        api_(*sys.holders),
        files_(files),
        options_(state.options),
        now_(api_.NowSeconds()),
        kept_(LoadPostponement(sys, version, now_)),
        allowed_(PostponingAllowed(kept_, options_.maxDefer, now_)) {}

  CloseVerdict Run() {
    if (!allowed_) {
      sys_.log.Line({"close request: no postponement left"});
    } else if (PostponedWithinTheHour(kept_, now_)) {
      return Postpone("postponed less than an hour ago, nobody asked");
    }
    sys_.platform.Wait(kRequeryMs);
    std::vector<AskedSession> sessions;
    if (!HoldingSessions(sys_, files_, true, sessions)) {
      return allowed_ ? Postpone("holders unknown") : GoOn("holders unknown");
    }
    std::vector<SessionQuestion> questions;
    const std::uint32_t seconds = options_.askCloseMinutes * 60u;
    CalendarTime until = api_.LocalNow();
    const std::uint32_t minutes = until.hour * 60u + until.minute + (until.second + seconds) / 60;
    until.hour = static_cast<std::uint16_t>(minutes / 60 % 24);
    until.minute = static_cast<std::uint16_t>(minutes % 60);
    for (const AskedSession& session : sessions) {
      const SessionState state = api_.ReadSessionState(session.id);
      sys_.log.Line({"close request: session ", DecimalText(session.id),
                     state == SessionState::kActive ? u" asked"
                                                    : u" cannot answer now (locked, "
                                                      u"disconnected or unknown)"});
      if (state != SessionState::kActive) {
        if (allowed_) return Postpone("no answer");
        continue;
      }
      questions.push_back(
          {session.id, LoadLocalizedString(sys_.resources, kStrCaption),
           CloseQuestionText(sys_.resources, session.names,
                             allowed_ ? options_.maxDefer - kept_.declined : 0, until),
           (allowed_ ? kMbYesNo | kMbIconQuestion : kMbIconWarning) | kMbTopmostForeground,
           seconds});
    }
    if (questions.empty()) return GoOn("nobody to ask");
    if (!api_.SendQuestions(questions)) return allowed_ ? Postpone("not shown") : GoOn("not shown");
    return Wait(questions, api_.NowSeconds() + seconds);
  }

 private:
  // Looks every few seconds until nothing that a user can close holds the files, an answer
  // postpones the upgrade, or `deadline` passes.
  CloseVerdict Wait(const std::vector<SessionQuestion>& asked, std::uint32_t deadline) {
    std::vector<std::uint32_t> logged(asked.size(), kAnswerPending);
    for (std::uint32_t now = api_.NowSeconds(); now < deadline; now = api_.NowSeconds()) {
      sys_.platform.Wait(std::min(deadline - now, kPollSeconds) * 1000);
      // The answers first: a Нет counts even where the programs were closed meanwhile.
      const std::vector<std::uint32_t> answers = api_.ReadAnswers();
      for (std::size_t i = 0; i < answers.size() && i < asked.size(); ++i) {
        if (answers[i] == logged[i]) continue;
        logged[i] = answers[i];
        sys_.log.Line({"close request: session ", DecimalText(asked[i].sessionId), " answered ",
                       ErrorCodeText(answers[i])});
        if (allowed_ && answers[i] == kAnswerNo) {
          ++kept_.declined;
          return Postpone("postponed by a user");
        }
        if (allowed_ && answers[i] == kAnswerNotShown) return Postpone("not shown");
      }
      // A look that fails tells nothing: the files count as still held.
      std::vector<AskedSession> holding;
      if (HoldingSessions(sys_, files_, false, holding) && holding.empty()) {
        return GoOn("the programs were closed");
      }
    }
    return allowed_ ? Postpone("time is up, the files are still held")
                    : GoOn("time is up, the files are still held");
  }

  CloseVerdict GoOn(const char* why) {
    sys_.log.Line({"close request: ", LogPart::Ascii(why), ", the removal goes on"});
    return CloseVerdict::kGoOn;
  }

  // Postpones only when the postponement can be kept: nothing would bound the next ones.
  CloseVerdict Postpone(const char* why) {
    sys_.log.Line({"close request: ", LogPart::Ascii(why)});
    if (!SavePostponement(sys_, kept_, api_.NowSeconds())) return GoOn("cannot postpone");
    return CloseVerdict::kPostpone;
  }

  const System& sys_;
  HoldersApi& api_;
  const std::vector<std::u16string>& files_;
  const SetupOptions& options_;
  const std::uint32_t now_;
  Postponement kept_;
  const bool allowed_;
};

}  // namespace

CloseVerdict AskToCloseHolders(const System& sys, const SetupState& state,
                               const std::vector<std::u16string>& files,
                               const std::u16string& targetVersion) {
  if (sys.holders == nullptr) return CloseVerdict::kGoOn;
  const bool ask = state.options.askCloseMinutes != 0 && !state.resumed;
  if (!sys.holders->HasRestartManager() || files.empty()) {
    sys.log.Line({"file holders: not known (no Restart Manager or no list of files)",
                  ask ? u", -askclose is not possible" : u""});
    return CloseVerdict::kGoOn;
  }
  std::vector<AskedSession> sessions;
  if (!HoldingSessions(sys, files, true, sessions) || sessions.empty() || !ask) {
    return CloseVerdict::kGoOn;
  }
  if (state.providersNeedRestart) {
    sys.log.Line({"close request: a provider needs the restart anyway, nobody asked"});
    return CloseVerdict::kGoOn;
  }
  return CloseRequest(sys, state, files, targetVersion).Run();
}
