// The launcher's options as one table, and the parser and the help text that read it.

#include "setup/command_line.h"

#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

#include "common/ascii_text.h"

namespace {

using O = SetupOptions;

// Where the help lists an option: its place among the help's lines from 1 (0: not listed), the
// flag without which it is left out, and the words after its name.
struct HelpLine {
  std::uint8_t place = 0;
  bool O::*with = nullptr;
  const char16_t* text = nullptr;
};

// The row of an option of `kind`, logged in the options line as `logName` (nullptr: not
// logged) and listed by `help`; the makers below fill in the fields of each kind.
constexpr CommandOption Row(OptionKind kind, const char* name, const char* logName, HelpLine help) {
  CommandOption row{};
  row.name = name;
  row.kind = kind;
  row.logName = logName;
  row.helpPlace = help.place;
  row.listedWith = help.with;
  row.helpText = help.text;
  return row;
}
constexpr CommandOption Help(const char* name, HelpLine help = {}) {
  return Row(OptionKind::kHelp, name, nullptr, help);
}
// Logged under its own name.
constexpr CommandOption Flag(const char* name, bool O::*flag, HelpLine help = {}) {
  CommandOption row = Row(OptionKind::kFlag, name, name, help);
  row.flag = flag;
  return row;
}
constexpr CommandOption ValueRow(OptionKind kind, const char* name, std::u16string O::*text,
                                 bool O::*needs, const char* logName, HelpLine help) {
  CommandOption row = Row(kind, name, logName, help);
  row.text = text;
  row.needs = needs;
  return row;
}
constexpr CommandOption Args(const char* name, std::u16string O::*text, bool O::*needs,
                             const char* logName, HelpLine help) {
  return ValueRow(OptionKind::kArgs, name, text, needs, logName, help);
}
constexpr CommandOption Pattern(const char* name, std::u16string O::*text, bool O::*needs,
                                const char* logName, HelpLine help) {
  return ValueRow(OptionKind::kPattern, name, text, needs, logName, help);
}
// Logged under its own name; not listed in the help.
constexpr CommandOption Number(const char* name, std::uint8_t O::*number, std::uint8_t least,
                               std::uint8_t most) {
  CommandOption row = Row(OptionKind::kNumber, name, name, {});
  row.number = number;
  row.least = least;
  row.most = most;
  return row;
}
constexpr CommandOption Unlogged(CommandOption row) {
  row.logName = nullptr;
  return row;
}

// Every option, in the order of the options line; the help lists its rows by place. "-?" is
// the help's own line; any other token that names no row asks for the help too.
constexpr CommandOption kOptions[] = {
    Help("-help"),
    Help("--help"),
    Help("/help"),
    Help("-?", {1, nullptr, u"\t\t вывести данную справку\n"}),
    Flag("-csp", &O::installCsp),
    Flag("-ucsp", &O::installUcsp),
    Flag("-selectDlg", &O::selectConfig,
         {6, &O::installCsp, u"\t вывести диалог выбора конфигурации\n \t\t Vestacor CSP\n"}),
    Flag("-silent", &O::silent, {3, nullptr, u"\t\t подавить диалоговые окна\n"}),
    Flag("-norestart", &O::noRestart),
    // Its run writes lines of its own: the options line stays as it was.
    Unlogged(Flag("-cancelresume", &O::cancelResume)),
    Args("-cspargs", &O::cspArgs, &O::installCsp, "CSP arguments",
         {4, &O::installCsp,
          u" \"<args>\"     дополнителные параметры командной\n \t\t строки (<args>) для вызова "
          u"msiexec /i\n \t\t при установке пакета MSI Vestacor CSP\n"}),
    Pattern("-KC", &O::kcPattern, &O::installCsp, "level",
            {7, &O::installCsp, u"\t\t уровень KC Vestacor CSP\n"}),
    Pattern("-Lang", &O::langPattern, &O::installCsp, "language",
            {8, &O::installCsp, u"\t\t язык Vestacor CSP\n"}),
    Args("-ucspargs", &O::ucspArgs, &O::installUcsp, "ZAZ CSP arguments",
         {5, &O::installUcsp,
          u" \"<args>\"   дополнительные параметры командной\n \t\t строки (<args>) для вызова "
          u"msiexec /i\n \t\t при установке пакета MSI Vestacor VAZ CSP\n"}),
    Args("-zirelargs", &O::pluginArgs, nullptr, "plug-in arguments",
         {2, nullptr,
          u" \"<args>\" дополнительные параметры командной\n \t\t строки(<args>) для вызова "
          u"msiexec /i\n \t\t при установке пакета MSI плагина\n"}),
    Number("-askclose", &O::askCloseMinutes, 1, 30),
    Number("-maxdefer", &O::maxDefer, 0, 99),
};

// Whether `option` has what its kind reads: a flag row its flag, a value row its field, a
// number row its field and bounds that leave a number; a row the help lists, its words.
constexpr bool IsWhole(const CommandOption& option) {
  switch (option.kind) {
    case OptionKind::kFlag:
      if (option.flag == nullptr) return false;
      break;
    case OptionKind::kArgs:
    case OptionKind::kPattern:
      if (option.text == nullptr) return false;
      break;
    case OptionKind::kNumber:
      if (option.number == nullptr || option.least > option.most) return false;
      break;
    case OptionKind::kHelp:
      break;
  }
  return option.helpPlace == 0 || option.helpText != nullptr;
}
constexpr bool AllWhole() {
  for (const CommandOption& option : kOptions) {
    if (!IsWhole(option)) return false;
  }
  return true;
}
static_assert(AllWhole(), "every row has the fields its kind and its help line read");

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
