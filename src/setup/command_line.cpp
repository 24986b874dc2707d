// The launcher's options as one table, and the parser and the help text that read it.

#include "setup/command_line.h"

#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

#include "common/ascii_text.h"

namespace {

using O = SetupOptions;

// Every option, in the order of the options line; the help lists its rows by helpPlace. The
// columns: name, kind, flag, text, needs, logName, helpPlace, listedWith, helpText, number, least,
// most. "-?" is the help's own line; any other token that names no row asks for the help too.
constexpr CommandOption kOptions[] = {
    {"-help", OptionKind::kHelp, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
     0, 0},
    {"--help", OptionKind::kHelp, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
     0, 0},
    {"/help", OptionKind::kHelp, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
     0, 0},
    {"-?", OptionKind::kHelp, nullptr, nullptr, nullptr, nullptr, 1, nullptr,
     u"\t\t вывести данную справку\n", nullptr, 0, 0},
    {"-csp", OptionKind::kFlag, &O::installCsp, nullptr, nullptr, "-csp", 0, nullptr, nullptr,
     nullptr, 0, 0},
    {"-ucsp", OptionKind::kFlag, &O::installUcsp, nullptr, nullptr, "-ucsp", 0, nullptr, nullptr,
     nullptr, 0, 0},
    {"-selectDlg", OptionKind::kFlag, &O::selectConfig, nullptr, nullptr, "-selectDlg", 6,
     &O::installCsp, u"\t вывести диалог выбора конфигурации\n \t\t Vestacor CSP\n", nullptr, 0, 0},
    {"-silent", OptionKind::kFlag, &O::silent, nullptr, nullptr, "-silent", 3, nullptr,
     u"\t\t подавить диалоговые окна\n", nullptr, 0, 0},
    {"-norestart", OptionKind::kFlag, &O::noRestart, nullptr, nullptr, "-norestart", 0, nullptr,
     nullptr, nullptr, 0, 0},
    // Its run writes lines of its own: the options line stays as it was.
    {"-cancelresume", OptionKind::kFlag, &O::cancelResume, nullptr, nullptr, nullptr, 0, nullptr,
     nullptr, nullptr, 0, 0},
    {"-cspargs", OptionKind::kArgs, nullptr, &O::cspArgs, &O::installCsp, "CSP arguments", 4,
     &O::installCsp,
     u" \"<args>\"     дополнителные параметры командной\n \t\t строки (<args>) для вызова "
     u"msiexec /i\n \t\t при установке пакета MSI Vestacor CSP\n",
     nullptr, 0, 0},
    {"-KC", OptionKind::kPattern, nullptr, &O::kcPattern, &O::installCsp, "level", 7,
     &O::installCsp, u"\t\t уровень KC Vestacor CSP\n", nullptr, 0, 0},
    {"-Lang", OptionKind::kPattern, nullptr, &O::langPattern, &O::installCsp, "language", 8,
     &O::installCsp, u"\t\t язык Vestacor CSP\n", nullptr, 0, 0},
    {"-ucspargs", OptionKind::kArgs, nullptr, &O::ucspArgs, &O::installUcsp, "ZAZ CSP arguments", 5,
     &O::installUcsp,
     u" \"<args>\"   дополнительные параметры командной\n \t\t строки (<args>) для вызова "
     u"msiexec /i\n \t\t при установке пакета MSI Vestacor VAZ CSP\n",
     nullptr, 0, 0},
    {"-zirelargs", OptionKind::kArgs, nullptr, &O::pluginArgs, nullptr, "plug-in arguments", 2,
     nullptr,
     u" \"<args>\" дополнительные параметры командной\n \t\t строки(<args>) для вызова "
     u"msiexec /i\n \t\t при установке пакета MSI плагина\n",
     nullptr, 0, 0},
    {"-askclose", OptionKind::kNumber, nullptr, nullptr, nullptr, "-askclose", 0, nullptr, nullptr,
     &O::askCloseMinutes, 1, 30},
    {"-maxdefer", OptionKind::kNumber, nullptr, nullptr, nullptr, "-maxdefer", 0, nullptr, nullptr,
     &O::maxDefer, 0, 99},
};

// Whether `flag` is set; no flag counts as set.
bool IsSet(const SetupOptions& options, bool SetupOptions::*flag) {
  return flag == nullptr || options.*flag;
}

// Whether `token` is `name` but for the case of ASCII letters.
bool Names(const std::u16string& token, const char* name) {
  std::size_t i = 0;
  for (; i < token.size() && name[i] != '\0'; ++i) {
    if (LowerAscii(token[i]) != LowerAscii(static_cast<char16_t>(name[i]))) return false;
  }
  return i == token.size() && name[i] == '\0';
}

// The row that `token` names with the flags set so far, or nullptr.
const CommandOption* OptionOf(const std::u16string& token, const SetupOptions& options) {
  for (const CommandOption& option : kOptions) {
    if (IsSet(options, option.needs) && Names(token, option.name)) return &option;
  }
  return nullptr;
}

// Sets `option`'s number from `value`: one to three decimal digits within its bounds. False,
// leaving the number as it was, for anything else.
bool ReadNumber(const std::u16string& value, const CommandOption& option, SetupOptions& options) {
  if (value.empty() || value.size() > 3) return false;
  unsigned number = 0;
  for (const char16_t c : value) {
    if (c < u'0' || c > u'9') return false;
    number = number * 10 + (c - u'0');
  }
  if (number < option.least || number > option.most) return false;
  options.*option.number = static_cast<std::uint8_t>(number);
  return true;
}

}  // namespace

CommandOptions AllCommandOptions() {
  return {std::begin(kOptions), std::end(kOptions)};
}

ParseOutcome ParseArguments(const std::vector<std::u16string>& tokens, SetupOptions& options,
                            const CommandOption** badOption) {
  // The first bad number decides the outcome, but the tokens after it are still read up to any
  // unknown one, so that a -silent further right keeps the help from being shown.
  const CommandOption* bad = nullptr;
  ParseOutcome outcome = ParseOutcome::kParsed;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const CommandOption* option = OptionOf(tokens[i], options);
    if (option == nullptr || option->kind == OptionKind::kHelp) {
      outcome = ParseOutcome::kHelpWanted;
      break;
    }
    if (option->kind == OptionKind::kFlag) {
      options.*option->flag = true;
      continue;
    }
    if (i + 1 == tokens.size()) {
      if (option->kind == OptionKind::kNumber && bad == nullptr) bad = option;
      outcome = ParseOutcome::kHelpWanted;
      break;
    }
    if (option->kind == OptionKind::kNumber) {
      // An option where the number should be is the number missing, and still read as itself.
      const bool missing = OptionOf(tokens[i + 1], options) != nullptr;
      if ((missing || !ReadNumber(tokens[i + 1], *option, options)) && bad == nullptr) bad = option;
      i += missing ? 0 : 1;
      continue;
    }
    const std::u16string& value = tokens[++i];
    std::u16string& text = options.*option->text;
    if (option->kind == OptionKind::kArgs) {
      text.append(value).push_back(u' ');
    } else {
      text.append(1, u'*').append(value).push_back(u'*');
    }
  }
  if (bad == nullptr) return outcome;
  if (badOption != nullptr) *badOption = bad;
  return ParseOutcome::kBadValue;
}

CommandLine ReadCommandLine(PlatformApi& platform, const std::u16string& text) {
  CommandLine line;
  line.text = text;
  std::vector<std::u16string> tokens;
  if (text.empty() || !platform.SplitCommandLine(text, &tokens)) return line;
  line.outcome = ParseArguments(tokens, line.options, &line.badOption);
  return line;
}

std::u16string BuildHelpText(const SetupOptions& options) {
  std::u16string text =
      u"Установщик Vestacor Signavel.\n"
      u"При запуске без параметров осуществляет установку с параметрами по умолчанию.\n"
      u"\n"
      u"Возможные параметры командной строки:\n";
  for (std::uint8_t place = 1; place <= std::size(kOptions); ++place) {
    for (const CommandOption& option : kOptions) {
      if (option.helpPlace != place || !IsSet(options, option.listedWith)) continue;
      text.append(u"  ");
      AppendAscii(text, option.name);
      text.append(option.helpText);
    }
  }
  return text;
}

Prompts RunPrompts(const CommandLine& commandLine, UiApi& ui) {
  return Prompts(commandLine.Silent(), ui.SomebodyCanSee());
}

void ShowHelp(const System& sys, const Prompts& prompts, const SetupOptions& options) {
  const std::u16string text = BuildHelpText(options);
  if (prompts.FateOf(BoxKind::kEvenSilent) == BoxFate::kUnseen) {
    sys.log.Line({"help not shown: nobody can see it: ", text});
    return;
  }
  sys.log.Line({"help shown"});
  sys.ui.ShowMessageBox(text, u"Справка", kMbIconInformation);
}
