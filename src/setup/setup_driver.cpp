#include "setup/setup_driver.h"

#include "common/ascii_text.h"
#include "common/exit_codes.h"
#include "common/number_text.h"
#include "log/log_lines.h"
#include "log/secret_mask.h"
#include "resume/resume_cleanup.h"
#include "resume/resume_registration.h"
#include "setup/command_line.h"
#include "setup/dialog_choice.h"
#include "setup/outcome.h"
#include "setup/platform_check.h"
#include "setup/restart.h"
#include "ui/localized_strings.h"
#include "ui/string_ids.h"

namespace {

// The progress window's thread: created suspended, resumed once before the first
// installation step, ended before any outcome or failure message, and at the latest when its
// owner goes: no way out of the run leaves it running.
class ProgressThread {
 public:
  ProgressThread(UiApi& ui, std::uint16_t titleId) : ui_(ui) { ui_.CreateProgressThread(titleId); }
  ~ProgressThread() { End(); }
  ProgressThread(const ProgressThread&) = delete;
  ProgressThread& operator=(const ProgressThread&) = delete;

  void Resume() {
    if (resumed_) return;
    ui_.ResumeProgressThread();
    resumed_ = running_ = true;
  }
  // Ends a thread that runs; one never resumed stays suspended for the Windows layer to end.
  void End() {
    if (!running_) return;
    ui_.EndProgressThread();
    running_ = false;
  }

 private:
  UiApi& ui_;
  bool resumed_ = false;
  bool running_ = false;
};

// msiexec's arguments between quotes, their property values masked.
std::u16string QuotedArgs(const std::u16string& args) {
  return Quoted(MaskSecrets(args, QuoteReading::kInstaller));
}

// Every option of the command line's table that the log names, in the table's order: a flag
// as yes or no, a pattern quoted, msiexec's arguments quoted and masked.
void LogOptions(RunLog& log, const SetupOptions& options) {
  std::u16string text;
  for (const CommandOption& option : AllCommandOptions()) {
    if (option.logName == nullptr) continue;
    if (!text.empty()) text.append(u", ");
    AppendAscii(text, option.logName);
    text.push_back(u' ');
    if (option.kind == OptionKind::kFlag) {
      text.append(YesNo(options.*option.flag));
    } else if (option.kind == OptionKind::kNumber) {
      const std::uint8_t number = options.*option.number;
      text.append(number < option.least ? u"no" : DecimalText(number));
    } else if (option.kind == OptionKind::kArgs) {
      text.append(QuotedArgs(options.*option.text));
    } else {
      text.append(Quoted(options.*option.text));
    }
  }
  log.Line({"options: ", text});
}

std::uint32_t ReportFailure(const System& sys, const Prompts& prompts, std::uint16_t textId,
                            std::uint32_t result) {
  ShowMessage(sys, prompts, BoxKind::kUnlessSilent, textId, kStrCaption, kMbIconError, result);
  return result;
}

// Asks for the restart unless silent and starts it. 0 when declined or started, 7 when
// Windows refused it. A silent run told -norestart starts nothing and ends with 3010, for the
// deployment system that started it to restart the computer when it sees fit.
std::uint32_t OfferRestart(const System& sys, const Prompts& prompts, const SetupOptions& options,
                           std::uint16_t textId) {
  const bool silent = prompts.Silent();
  if (silent && options.noRestart) {
    sys.log.Closing({"restart: needed, left to the caller (-norestart)"});
    return kResultRestartRequired;
  }
  sys.log.Closing(
      {silent ? u"restart: needed, started without asking" : u"restart: needed, asking"});
  if (ShowMessage(sys, prompts, BoxKind::kUnlessSilent, textId, kStrCaption, kMbRestartOffer) !=
      kIdYes) {
    return 0;
  }
  if (RestartSystem(sys)) {
    sys.log.Closing({"restart: Windows accepted the request"});
    return 0;
  }
  sys.log.Closing({"restart: Windows refused the request"});
  ShowMessage(sys, prompts, BoxKind::kUnlessSilent, kStrRestartFailed, kStrCaption, kMbOk);
  return kExitRestartFailed;
}

}  // namespace

std::uint32_t RunSetup(const System& sys, InstallStages& stages, SetupState& state,
                       const CommandLine& commandLine) {
  sys.log.Line({"command line: ", Quoted(MaskCommandLine(sys.platform, commandLine.text))});
  const Prompts prompts = RunPrompts(commandLine, sys.ui);
  if (commandLine.outcome == ParseOutcome::kHelpWanted) {
    ShowHelp(sys, prompts, commandLine.options);
    return 0;
  }
  if (commandLine.outcome == ParseOutcome::kBadValue) {
    const CommandOption& bad = *commandLine.badOption;
    std::u16string name;
    AppendAscii(name, bad.name);
    sys.log.Line({"command line: ", name, " needs a whole number from ", DecimalText(bad.least),
                  " to ", DecimalText(bad.most)});
    // The help where somebody may read it: only a run without -silent shows it.
    if (!commandLine.options.silent) ShowHelp(sys, prompts, commandLine.options);
    return kExitInvalidCommandLine;
  }
  SetupOptions& options = state.options;
  options = commandLine.options;
  LogOptions(sys.log, options);
  // Works where nobody can see and without -silent: it asks nothing and shows nothing.
  if (options.cancelResume) return CancelResume(sys, state);
  const bool admin = sys.platform.IsUserAdmin();
  sys.log.Line({"administrator: ", YesNo(admin)});
  if (!admin) {
    ShowMessage(sys, prompts, BoxKind::kUnlessSilent, kStrNotAdmin, kStrCaption, kMbIconError);
    return kExitNotAdmin;
  }
  if (const std::uint32_t refused = CheckPlatform(sys, prompts); refused != 0) return refused;
  sys.installer.SetInternalUi(kInstallUiLevelNone);

  ProgressThread progress(sys.ui, ChooseProgressTitle(options));
  if (ShowMessage(sys, prompts, BoxKind::kUnlessSilent, ChooseQuestion(options), kStrCaption,
                  kMbYesNo) == kIdNo) {
    return 0;
  }

  std::uint32_t providerResult = kResultSuccess;
  if (AsksForProviders(options)) {
    if (options.selectConfig && options.installCsp && !prompts.Silent()) {
      const ConfigDialogChoice choice = sys.ui.ShowConfigDialog();
      if (!choice.proceed) {
        sys.log.Line({"configuration dialog: cancelled"});
        return 0;
      }
      AppendDialogChoice([&choice](int id) { return choice.IsChecked(id); }, options);
      sys.log.Line({"configuration dialog: level ", Quoted(options.kcPattern), ", language ",
                    Quoted(options.langPattern)});
    }
    progress.Resume();
    providerResult = stages.InstallProviders(prompts);
    if (IsInstallFailure(providerResult)) {
      progress.End();
      return ReportFailure(sys, prompts, kStrCspFailed, providerResult);
    }
  }

  progress.Resume();
  // The restart that a provider needs anyway frees the plug-in's files too.
  state.providersNeedRestart = providerResult == kResultRestartRequired;
  const std::uint32_t pluginResult = stages.InstallPlugin(options.pluginArgs, prompts);
  progress.End();
  if (IsInstallFailure(pluginResult) && !state.postponed) {
    return ReportFailure(sys, prompts, kStrPluginFailed, pluginResult);
  }

  // Before the outcome and any restart: the resume must be in place when Windows goes down.
  // A run that leaves the plug-in installed makes every resume pointless.
  if (sys.resume && !state.resumed) {
    if (!state.restartPending) {
      RemoveLeftoverResume(sys, state);
    } else if (!state.earlierRemovalPending) {
      RegisterResume(sys, state, options.pluginArgs);
    }
  }
  if (state.postponed) {
    sys.log.Closing({"plug-in: upgrade postponed, offered again at the next run"});
    ShowMessage(sys, prompts, BoxKind::kUnlessSilent, kStrPluginPostponed, kStrCaption,
                kMbIconInformation);
    return kResultInstallInProgress;
  }
  const Outcome outcome =
      ChooseOutcome(options, state.restartPending, providerResult, pluginResult);
  if (outcome.offersRestart) return OfferRestart(sys, prompts, options, outcome.textId);
  sys.log.Closing({"restart: not needed"});
  ShowMessage(sys, prompts, BoxKind::kUnlessSilent, outcome.textId, kStrCaption, kMbOk);
  return 0;
}
