#include "setup/command_line.h"

#include <cstddef>
#include <vector>

namespace {

// Letters A-Z match a-z; every other code unit only itself.
char16_t FoldAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool IsOption(const std::u16string& token, const char16_t* name) {
  const std::u16string expected(name);
  if (token.size() != expected.size()) return false;
  for (std::size_t i = 0; i < token.size(); ++i) {
    if (FoldAscii(token[i]) != FoldAscii(expected[i])) return false;
  }
  return true;
}

enum class ValueTarget { kNone, kCspArgs, kKc, kLang, kUcspArgs, kPluginArgs };

// The value option that `token` names, in the order of the option table. The provider
// sub-options count only once their flag was set further left.
ValueTarget ValueOptionOf(const std::u16string& token, const SetupOptions& options) {
  if (options.installCsp && IsOption(token, u"-CSPArgs")) return ValueTarget::kCspArgs;
  if (options.installCsp && IsOption(token, u"-KC")) return ValueTarget::kKc;
  if (options.installCsp && IsOption(token, u"-Lang")) return ValueTarget::kLang;
  if (options.installUcsp && IsOption(token, u"-UCSPArgs")) return ValueTarget::kUcspArgs;
  if (IsOption(token, u"-ZirelArgs")) return ValueTarget::kPluginArgs;
  return ValueTarget::kNone;
}

void StoreValue(ValueTarget target, const std::u16string& value, SetupOptions& options) {
  switch (target) {
    case ValueTarget::kCspArgs:
      options.cspArgs += value + u" ";
      break;
    case ValueTarget::kKc:
      options.kcPattern += u"*" + value + u"*";
      break;
    case ValueTarget::kLang:
      options.langPattern += u"*" + value + u"*";
      break;
    case ValueTarget::kUcspArgs:
      options.ucspArgs += value + u" ";
      break;
    case ValueTarget::kPluginArgs:
      options.pluginArgs += value + u" ";
      break;
    case ValueTarget::kNone:
      break;
  }
}

}  // namespace

ParseOutcome ParseArguments(const std::vector<std::u16string>& tokens, SetupOptions& options) {
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const std::u16string& token = tokens[i];
    if (IsOption(token, u"-help") || IsOption(token, u"--help") || IsOption(token, u"/help")) {
      return ParseOutcome::kHelpWanted;
    }
    if (IsOption(token, u"-csp")) {
      options.installCsp = true;
    } else if (IsOption(token, u"-ucsp")) {
      options.installUcsp = true;
    } else if (IsOption(token, u"-selectDlg")) {
      options.selectConfig = true;
    } else if (IsOption(token, u"-silent")) {
      options.silent = true;
    } else if (IsOption(token, u"-norestart")) {
      options.noRestart = true;
    } else {
      const ValueTarget target = ValueOptionOf(token, options);
      if (target == ValueTarget::kNone || i + 1 == tokens.size()) return ParseOutcome::kHelpWanted;
      StoreValue(target, tokens[++i], options);
    }
  }
  return ParseOutcome::kParsed;
}

CommandLine ReadCommandLine(PlatformApi& platform, const std::u16string& text) {
  CommandLine line;
  line.text = text;
  std::vector<std::u16string> tokens;
  if (text.empty() || !platform.SplitCommandLine(text, &tokens)) return line;
  line.outcome = ParseArguments(tokens, line.options);
  return line;
}

std::u16string BuildHelpText(const SetupOptions& options) {
  std::u16string text =
      u"Установщик Vestacor Signavel.\n"
      u"При запуске без параметров осуществляет установку с параметрами по умолчанию.\n"
      u"\n"
      u"Возможные параметры командной строки:\n"
      u"  -?\t\t вывести данную справку\n"
      u"  -zirelargs \"<args>\" дополнительные параметры командной\n"
      u" \t\t строки(<args>) для вызова msiexec /i\n"
      u" \t\t при установке пакета MSI плагина\n"
      u"  -silent\t\t подавить диалоговые окна\n";
  if (options.installCsp) {
    text +=
        u"  -cspargs \"<args>\"     дополнителные параметры командной\n"
        u" \t\t строки (<args>) для вызова msiexec /i\n"
        u" \t\t при установке пакета MSI Vestacor CSP\n";
  }
  if (options.installUcsp) {
    text +=
        u"  -ucspargs \"<args>\"   дополнительные параметры командной\n"
        u" \t\t строки (<args>) для вызова msiexec /i\n"
        u" \t\t при установке пакета MSI Vestacor VAZ CSP\n";
  }
  if (options.installCsp) {
    text +=
        u"  -selectDlg\t вывести диалог выбора конфигурации\n"
        u" \t\t Vestacor CSP\n"
        u"  -KC\t\t уровень KC Vestacor CSP\n"
        u"  -Lang\t\t язык Vestacor CSP\n";
  }
  return text;
}

void ShowHelp(const System& sys, const SetupOptions& options) {
  const std::u16string text = BuildHelpText(options);
  if (!sys.ui.SomebodyCanSee()) {
    sys.log.Line({"help not shown: nobody can see it: ", text});
    return;
  }
  sys.log.Line({"help shown"});
  sys.ui.ShowMessageBox(text, u"Справка", kMbIconInformation);
}
