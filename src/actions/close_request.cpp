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
constexpr std::uint32_t kPollMs = 5000;
constexpr std::uint32_t kMbIconQuestion = 0x20;
constexpr std::uint32_t kMbIconWarning = 0x30;
constexpr std::uint32_t kMbTopmostForeground = 0x50000;  // MB_TOPMOST | MB_SETFOREGROUND

// A holder whose user can be asked: a process of a user session, not a service.
bool Askable(const FileHolder& holder) {
  return holder.sessionId != 0 && holder.sessionId != kInvalidSession &&
         holder.appType != kRmService && holder.appType != kRmCritical;
}

bool AnyAskable(const std::vector<FileHolder>& holders) {
  for (const FileHolder& holder : holders) {
    if (Askable(holder)) return true;
  }
  return false;
}

// The holders of `files` now, each logged when `log` is set; none when the query failed.
std::vector<FileHolder> ListHolders(const System& sys, const std::vector<std::u16string>& files,
                                    bool log) {
  std::vector<FileHolder> holders;
  const SysResult<bool> listed = sys.holders->ListHolders(files, &holders);
  if (!listed.value) {
    sys.log.Line({"file holders: the Restart Manager failed, error ", ErrorCodeText(listed.error)});
    holders.clear();
  }
  for (const FileHolder& holder : log ? holders : std::vector<FileHolder>()) {
    sys.log.Line({"file holder: ", Quoted(SafeHolderName(holder.appName)), ", process ",
                  DecimalText(holder.processId), ", session ",
                  holder.sessionId == kInvalidSession ? u"unknown" : DecimalText(holder.sessionId),
                  holder.appType == kRmService    ? u", a service"
                  : holder.appType == kRmCritical ? u", critical"
                                                  : u""});
  }
  if (log && listed.value && holders.empty()) sys.log.Line({"file holders: none"});
  return holders;
}

// One user session to ask, and the names of its programs that hold the files.
struct AskedSession {
  std::uint32_t id;
  std::vector<std::u16string> names;
};

std::vector<AskedSession> SessionsToAsk(const std::vector<FileHolder>& holders) {
  std::vector<AskedSession> sessions;
  for (const FileHolder& holder : holders) {
    if (!Askable(holder)) continue;
    AskedSession* session = nullptr;
    for (AskedSession& known : sessions) session = known.id == holder.sessionId ? &known : session;
    if (session == nullptr) session = &sessions.emplace_back(AskedSession{holder.sessionId, {}});
    const std::u16string name = SafeHolderName(holder.appName);
    bool known = false;
    for (const std::u16string& shown : session->names) known = known || shown == name;
    if (!known) session->names.push_back(name);
  }
  return sessions;
}

// The local clock `seconds` from now.
CalendarTime LocalTimeIn(HoldersApi& holders, std::uint64_t seconds) {
  CalendarTime time = holders.LocalNow();
  const std::uint64_t minutes = time.hour * 60u + time.minute + (time.second + seconds) / 60;
  time.hour = static_cast<std::uint16_t>(minutes / 60 % 24);
  time.minute = static_cast<std::uint16_t>(minutes % 60);
  return time;
}

const char16_t* StateName(SessionState state) {
  return state == SessionState::kLocked         ? u"locked"
         : state == SessionState::kDisconnected ? u"disconnected"
                                                : u"of unknown state";
}

const char16_t* AnswerName(std::uint32_t answer) {
  switch (answer) {
    case kAnswerYes:
      return u"yes";
    case kAnswerNo:
      return u"no";
    case kAnswerOk:
      return u"ok";
    case kAnswerTimeout:
      return u"nothing in time";
    default:
      return u"nothing: the message could not be shown";
  }
}

// What the run does once it has asked, or found that it cannot ask.
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
      sys_.log.Line({"close request: no more postponements (", DecimalText(kept_.declined), " of ",
                     DecimalText(options_.maxDefer), ", seven days from the first)"});
    } else if (PostponedWithinTheHour(kept_, now_)) {
      return Postpone(u"postponed less than an hour ago, nobody asked");
    }
    sys_.platform.Wait(kRequeryMs);
    const std::vector<AskedSession> sessions = SessionsToAsk(ListHolders(sys_, files_, true));
    if (sessions.empty()) return GoOn(u"nobody who can close the holders, the removal goes on");

    std::vector<SessionQuestion> questions;
    const std::uint32_t seconds = options_.askCloseMinutes * 60u;
    const std::uint32_t left = allowed_ ? options_.maxDefer - kept_.declined : 0;
    std::u16string text;
    for (const AskedSession& session : sessions) {
      const SessionState state = api_.ReadSessionState(session.id);
      if (state != SessionState::kActive) {
        sys_.log.Line({"close request: session ", DecimalText(session.id), " is ", StateName(state),
                       ", nobody there can answer"});
        if (allowed_) return Postpone(u"no answer");
        continue;
      }
      questions.push_back(
          {session.id, LoadLocalizedString(sys_.resources, kStrCaption),
           CloseQuestionText(sys_.resources, session.names, left, LocalTimeIn(api_, seconds)),
           (allowed_ ? kMbYesNo | kMbIconQuestion : kMbIconWarning) | kMbTopmostForeground,
           seconds});
    }
    if (questions.empty()) return GoOn(u"nobody can be asked, the removal goes on");
    if (!api_.SendQuestions(questions)) {
      return allowed_ ? Postpone(u"the question cannot be shown")
                      : GoOn(u"the message cannot be shown, the removal goes on");
    }
    for (const SessionQuestion& question : questions) {
      sys_.log.Line({"close request: session ", DecimalText(question.sessionId), " asked for ",
                     DecimalText(options_.askCloseMinutes), " minutes",
                     allowed_ ? u"" : u", postponing no longer offered"});
    }
    return Wait(questions, api_.NowSeconds() + seconds);
  }

 private:
  // Looks every few seconds until nothing that a user can close holds the files, an answer
  // postpones the upgrade, or `deadline` passes.
  CloseVerdict Wait(const std::vector<SessionQuestion>& questions, std::uint64_t deadline) {
    std::vector<std::uint32_t> logged(questions.size(), kAnswerPending);
    for (std::uint64_t now = api_.NowSeconds(); now < deadline; now = api_.NowSeconds()) {
      sys_.platform.Wait(static_cast<std::uint32_t>(
          deadline - now < kPollMs / 1000 ? (deadline - now) * 1000 : kPollMs));
      if (!AnyAskable(ListHolders(sys_, files_, false))) {
        return GoOn(u"the programs were closed, the removal goes on");
      }
      const std::vector<std::uint32_t> answers = api_.ReadAnswers();
      for (std::size_t i = 0; i < answers.size() && i < questions.size(); ++i) {
        if (answers[i] == logged[i]) continue;
        logged[i] = answers[i];
        sys_.log.Line({"close request: session ", DecimalText(questions[i].sessionId), " answered ",
                       AnswerName(answers[i])});
        if (!allowed_) continue;
        if (answers[i] == kAnswerNo) {
          ++kept_.declined;
          return Postpone(u"a user postponed the upgrade");
        }
        if (answers[i] == kAnswerNotShown) return Postpone(u"no answer");
      }
    }
    sys_.log.Line({"close request: time is up, the files are still held"});
    return allowed_ ? Postpone(u"the programs were not closed")
                    : GoOn(u"the removal goes on regardless");
  }

  CloseVerdict GoOn(const char16_t* why) {
    sys_.log.Line({"close request: ", why});
    return CloseVerdict::kGoOn;
  }

  // Postpones when the postponement can be kept: a run may put the upgrade off only as long
  // as the bounds can be kept.
  CloseVerdict Postpone(const char16_t* why) {
    sys_.log.Line({"close request: ", why});
    if (!SavePostponement(sys_, kept_, api_.NowSeconds())) {
      return GoOn(u"postponing is not possible, the removal goes on");
    }
    sys_.log.Line({"close request: postponed, ", DecimalText(kept_.declined), " of ",
                   DecimalText(options_.maxDefer), " postponements used"});
    return CloseVerdict::kPostpone;
  }

  const System& sys_;
  HoldersApi& api_;
  const std::vector<std::u16string>& files_;
  const SetupOptions& options_;
  const std::uint64_t now_;
  Postponement kept_;
  const bool allowed_;
};

}  // namespace

CloseVerdict AskToCloseHolders(const System& sys, const SetupState& state,
                               const std::vector<std::u16string>& files,
                               const std::u16string& targetVersion) {
  if (sys.holders == nullptr) return CloseVerdict::kGoOn;
  const bool ask = state.options.askCloseMinutes != 0 && !state.resumed;
  if (!sys.holders->HasRestartManager()) {
    sys.log.Line({"file holders: no Restart Manager on this Windows, not known",
                  ask ? u"; -askclose is not possible here" : u""});
    return CloseVerdict::kGoOn;
  }
  if (files.empty()) {
    sys.log.Line({"file holders: the plug-in's files are not known, not asked"});
    return CloseVerdict::kGoOn;
  }
  const std::vector<FileHolder> holders = ListHolders(sys, files, true);
  if (!ask || holders.empty()) return CloseVerdict::kGoOn;
  if (state.providersNeedRestart) {
    sys.log.Line({"close request: a provider needs the restart anyway, nobody asked"});
    return CloseVerdict::kGoOn;
  }
  if (!AnyAskable(holders)) {
    sys.log.Line({"close request: nobody who can close the holders, the removal goes on"});
    return CloseVerdict::kGoOn;
  }
  return CloseRequest(sys, state, files, targetVersion).Run();
}
