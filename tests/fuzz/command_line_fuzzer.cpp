// Arbitrary text read as the launcher reads its command line (split on the fake system, then
// parsed), compared with a model of the rules that reads the launcher's option table, and
// checked for effects the reading must never have; and through the log's masking, which must leave
// no code unit of a property value that msiexec would read, in the command line nor in msiexec's
// arguments.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fakes/fake_system.h"
#include "fuzz_input.h"
#include "log/secret_mask.h"
#include "setup/command_line.h"

namespace {

std::u16string LowerAscii(std::u16string text) {
  for (auto& c : text) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + (u'a' - u'A'));
  }
  return text;
}

// An option's name as a token would write it.
std::u16string Wide(const char* ascii) {
  return std::u16string(ascii, ascii + std::strlen(ascii));
}

using Field = std::u16string SetupOptions::*;

struct Model {
  SetupOptions options;
  bool help = false;
  bool badNumber = false;      // a number option without a number in its bounds: decides alone
  std::vector<Field> valueOf;  // per token: the field its value went to, or nullptr
};

// The rules over the tokens that the platform's split gave, each token looked up in the
// launcher's option table.
Model ModelParse(const std::vector<std::u16string>& tokens) {
  Model m;
  m.valueOf.assign(tokens.size(), nullptr);
  SetupOptions& o = m.options;
  for (std::size_t i = 0; i < tokens.size() && !m.help; ++i) {
    const std::u16string lowered = LowerAscii(tokens[i]);
    const CommandOption* row = nullptr;
    for (const CommandOption& candidate : AllCommandOptions()) {
      const bool enabled = candidate.needs == nullptr || o.*candidate.needs;
      if (enabled && lowered == LowerAscii(Wide(candidate.name))) {
        row = &candidate;
        break;
      }
    }
    if (row == nullptr || row->kind == OptionKind::kHelp) {
      m.help = true;
      break;
    }
    if (row->kind == OptionKind::kFlag) {
      o.*row->flag = true;
      continue;
    }
    if (i + 1 >= tokens.size()) {
      m.badNumber = m.badNumber || row->kind == OptionKind::kNumber;
      m.help = true;
      break;
    }
    if (row->kind == OptionKind::kNumber) {
      const std::u16string& digits = tokens[++i];
      int number = digits.empty() || digits.size() > 3 ? -1 : 0;
      for (char16_t c : digits)
        number = c >= u'0' && c <= u'9' && number >= 0 ? number * 10 + (c - u'0') : -1;
      if (number >= row->least && number <= row->most) {
        o.*row->number = static_cast<std::uint8_t>(number);
      } else {
        m.badNumber = true;
      }
      continue;
    }
    m.valueOf[i + 1] = row->text;
    const std::u16string& value = tokens[++i];
    if (row->kind == OptionKind::kArgs) {
      (o.*row->text).append(value).push_back(u' ');
    } else {
      (o.*row->text).append(1, u'*').append(value).push_back(u'*');
    }
  }
  return m;
}

bool FlagByteIsZeroOrOne(const bool& flag) {
  unsigned char byte = 0;
  std::memcpy(&byte, &flag, 1);
  return byte == 0 || byte == 1;
}

// Every flag and field of the option table alike.
bool SameOptions(const SetupOptions& a, const SetupOptions& b) {
  for (const CommandOption& option : AllCommandOptions()) {
    if (option.kind == OptionKind::kFlag && a.*option.flag != b.*option.flag) return false;
    if (option.text != nullptr && a.*option.text != b.*option.text) return false;
    if (option.number != nullptr && a.*option.number != b.*option.number) return false;
  }
  return true;
}

// Every value appended ends with one blank: a non-empty field ends with a blank.
bool ArgsWellFormed(const std::u16string& args) {
  return args.empty() || args.back() == u' ';
}

// A pattern is a run of "*" value "*" pieces: non-empty ones begin and end with "*".
bool PatternWellFormed(const std::u16string& pattern) {
  return pattern.empty() ||
         (pattern.size() >= 2 && pattern.front() == u'*' && pattern.back() == u'*');
}

// Nothing but the parse itself may have touched the system: no installer call, no child, no
// file search, no certificate store, no dialog, no progress thread, no string-table read.
void CheckNoOtherEffect(const FakeSystem& fake, std::size_t boxes) {
  FUZZ_CHECK(fake.ui.boxes.size() == boxes);
  FUZZ_CHECK(fake.kernel.log.size() == boxes);  // the boxes are the only logged events
  FUZZ_CHECK(fake.kernel.Unbalanced().empty());
  FUZZ_CHECK(fake.installer.internalUiLevels.empty());
  FUZZ_CHECK(fake.installer.productStateQueries.empty());
  FUZZ_CHECK(fake.installer.openedPackages.empty());
  FUZZ_CHECK(fake.installer.sourceListCalls.empty());
  FUZZ_CHECK(fake.processes.started.empty());
  FUZZ_CHECK(fake.files.searches.empty());
  FUZZ_CHECK(fake.certs.events.empty());
  FUZZ_CHECK(fake.ui.dialogShown == 0);
  FUZZ_CHECK(fake.ui.progressCreated == 0);
  FUZZ_CHECK(fake.resources.requests.empty());
  FUZZ_CHECK(fake.platform.exitWindowsCalls.empty());
}

// One token written so that the split gives it back: in double quotes, a quote as \", and
// the backslashes before a quote or the closing quote doubled.
std::u16string Quote(const std::u16string& token) {
  std::u16string out = u"\"";
  std::size_t backslashes = 0;
  for (char16_t c : token) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, u'\\');
  out.push_back(u'"');
  return out;
}

// A token written so that the split gives it back: bare when it has no blank or quote.
std::u16string Written(const std::u16string& token) {
  return token.empty() || token.find_first_of(u" \t\"") != std::u16string::npos ? Quote(token)
                                                                                : token;
}

// Stands for each code unit of a value that the log must not show; found nowhere else.
constexpr char16_t kSecret = u'\x01';

// The properties whose values the log shows.
constexpr const char16_t* kShownProperties[] = {
    u"reboot",     u"rebootprompt", u"allusers",  u"addlocal",      u"addsource",
    u"adddefault", u"advertise",    u"remove",    u"reinstall",     u"reinstallmode",
    u"transforms", u"installdir",   u"targetdir", u"msifastinstall"};

// `text` with each code unit of a masked property value, as msiexec reads it, replaced by
// kSecret but for its quotes and blanks, which keep the value's shape (any kSecret the text
// had becomes "x"). msiexec's reading, in its simplest form: words between blanks outside
// quotes; a word with a name of any characters (its quotes left out) before its first "="
// sets that property to the rest of the word, whose quotes open and close quoted parts.
std::u16string MarkSecrets(std::u16string text) {
  for (char16_t& c : text) c = c == kSecret ? u'x' : c;
  std::size_t end = 0;
  for (std::size_t i = 0; i < text.size(); i = end + 1) {
    bool quoted = false;
    for (end = i; end < text.size() && (quoted || text[end] != u' '); ++end) {
      quoted ^= text[end] == u'"';
    }
    const std::size_t equals = std::min(text.find(u'=', i), end);
    std::u16string name;
    for (std::size_t k = i; k < equals; ++k) name.append(text[k] == u'"' ? 0 : 1, text[k]);
    bool secret = equals < end && !name.empty();
    for (const char16_t* shown : kShownProperties) secret = secret && LowerAscii(name) != shown;
    for (std::size_t k = equals + 1; secret && k < end; ++k) {
      if (text[k] != u'"' && text[k] != u' ') text[k] = kSecret;
    }
  }
  return text;
}

bool ShowsNoSecret(const std::u16string& logged) {
  return logged.find(kSecret) == std::u16string::npos;
}

// The launcher's command line once per option, written so that the split gives its tokens
// back, with the option's values marked as msiexec reads them joined.
std::vector<std::u16string> MarkedCommandLines(std::vector<std::u16string> tokens,
                                               const Model& model) {
  for (auto& token : tokens) std::replace(token.begin(), token.end(), kSecret, u'x');
  std::vector<std::u16string> lines;
  for (const CommandOption& option : AllCommandOptions()) {
    if (option.kind != OptionKind::kArgs) continue;
    const Field field = option.text;
    std::u16string values;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      if (model.valueOf[i] == field) values.append(tokens[i]).push_back(u' ');
    }
    values = MarkSecrets(values);
    lines.emplace_back();
    for (std::size_t i = 0, at = 0; i < tokens.size(); ++i) {
      const bool value = model.valueOf[i] == field;
      lines.back() +=
          (i == 0 ? u"" : u" ") + Written(value ? values.substr(at, tokens[i].size()) : tokens[i]);
      at += value ? tokens[i].size() + 1 : 0;
    }
  }
  return lines;
}

// The command line's masked log line shows no property value that msiexec gets from an
// option's values; nor does msiexec's part of the options, its values marked as msiexec reads
// it whole, masked alone or in a msiexec command.
void CheckMasking(const std::vector<std::u16string>& tokens, const Model& model,
                  const SetupOptions& options) {
  for (const std::u16string& written : MarkedCommandLines(tokens, model)) {
    FakeSystem fake;
    FUZZ_CHECK(ShowsNoSecret(MaskCommandLine(fake.platform, written)));
  }
  for (const CommandOption& option : AllCommandOptions()) {
    if (option.kind != OptionKind::kArgs) continue;
    const std::u16string& args = options.*option.text;
    FUZZ_CHECK(ShowsNoSecret(MaskSecrets(MarkSecrets(args), QuoteReading::kInstaller)));
    const std::u16string command = u"msiexec /qn /i \"C:\\dist\\a.msi\" " + args + u" REBOOT=R";
    FUZZ_CHECK(ShowsNoSecret(MaskSecrets(MarkSecrets(command), QuoteReading::kInstaller)));
  }
}

struct Run {
  ParseOutcome outcome;
  SetupOptions options;
  std::vector<FakeUi::Box> boxes;
};

// The text read once, then the help that it asks for shown as the driver shows it.
Run ParseOnce(const std::u16string& text, std::vector<std::u16string>* tokens) {
  FakeSystem fake;
  const CommandLine line = ReadCommandLine(fake.platform, text);
  FUZZ_CHECK(line.text == text);
  FUZZ_CHECK(line.outcome != ParseOutcome::kBadValue || line.badOption != nullptr);
  // An empty text has nothing to split; any other is split once.
  FUZZ_CHECK(fake.platform.splitTexts.size() == (text.empty() ? 0u : 1u));
  FUZZ_CHECK(text.empty() || fake.platform.splitTexts[0] == text);
  CheckNoOtherEffect(fake, 0);
  const bool help = line.outcome != ParseOutcome::kParsed;
  if (help) ShowHelp(fake.sys, fake.PromptsFor(false), line.options);
  Run run{line.outcome, line.options, fake.ui.boxes};
  CheckNoOtherEffect(fake, help ? 1 : 0);
  if (tokens != nullptr) fake.platform.SplitCommandLine(text, tokens);
  return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = fuzz::DecodeText(data, size);

  std::vector<std::u16string> tokens;
  const Run run = ParseOnce(text, &tokens);
  const SetupOptions& o = run.options;
  for (const CommandOption& option : AllCommandOptions()) {
    if (option.kind == OptionKind::kFlag) FUZZ_CHECK(FlagByteIsZeroOrOne(o.*option.flag));
    if (option.kind == OptionKind::kArgs) FUZZ_CHECK(ArgsWellFormed(o.*option.text));
    if (option.kind == OptionKind::kPattern) FUZZ_CHECK(PatternWellFormed(o.*option.text));
    if (option.kind == OptionKind::kNumber) {
      FUZZ_CHECK(o.*option.number <= option.most);
      FUZZ_CHECK(o.*option.number >= option.least ||
                 o.*option.number == SetupOptions().*option.number);
    }
    // The provider fields only fill once their flag is set.
    if (option.needs != nullptr) FUZZ_CHECK(o.*option.needs || (o.*option.text).empty());
  }

  const Model model = ModelParse(tokens);
  FUZZ_CHECK(model.badNumber == (run.outcome == ParseOutcome::kBadValue));
  FUZZ_CHECK(model.badNumber || model.help == (run.outcome == ParseOutcome::kHelpWanted));
  // The arguments parsed directly give the same answer as the reading of the text.
  SetupOptions direct;
  FUZZ_CHECK(ParseArguments(tokens, direct) == run.outcome);
  FUZZ_CHECK(SameOptions(direct, run.options));
  if (model.help || model.badNumber) {
    // One box: the help for the flags set left of the token that brought it up.
    FUZZ_CHECK(run.boxes.size() == 1);
    const FakeUi::Box& box = run.boxes[0];
    FUZZ_CHECK(box.caption == u"Справка");
    FUZZ_CHECK(box.style == kMbIconInformation);
    FUZZ_CHECK(box.text.rfind(u"Установщик Vestacor Signavel.\n", 0) == 0);
    FUZZ_CHECK((box.text.find(u"  -cspargs ") != std::u16string::npos) == model.options.installCsp);
    FUZZ_CHECK((box.text.find(u"  -KC\t\t") != std::u16string::npos) == model.options.installCsp);
    FUZZ_CHECK((box.text.find(u"  -ucspargs ") != std::u16string::npos) ==
               model.options.installUcsp);
    FUZZ_CHECK(box.text == BuildHelpText(model.options));
  } else {
    FUZZ_CHECK(run.boxes.empty());
    FUZZ_CHECK(SameOptions(o, model.options));
  }

  // The parse keeps no state of its own: a second run gives the same record and box.
  const Run again = ParseOnce(text, nullptr);
  FUZZ_CHECK(again.outcome == run.outcome);
  FUZZ_CHECK(SameOptions(again.options, run.options));
  FUZZ_CHECK(again.boxes.size() == run.boxes.size());
  for (std::size_t i = 0; i < run.boxes.size(); ++i) {
    FUZZ_CHECK(again.boxes[i].text == run.boxes[i].text);
  }

  // The tokens written back as one quoted command line split into the same tokens and parse
  // to the same result.
  std::u16string requoted;
  for (const auto& token : tokens) requoted += (requoted.empty() ? u"" : u" ") + Quote(token);
  std::vector<std::u16string> resplit;
  const Run quoted = ParseOnce(requoted, &resplit);
  FUZZ_CHECK(resplit == tokens);
  FUZZ_CHECK(quoted.outcome == run.outcome);
  FUZZ_CHECK(SameOptions(quoted.options, run.options));

  CheckMasking(tokens, model, o);

  // A split that fails leaves every option at its default and shows nothing.
  FakeSystem failing;
  failing.platform.splitFails = true;
  const CommandLine untouched = ReadCommandLine(failing.platform, text);
  FUZZ_CHECK(untouched.outcome == ParseOutcome::kParsed);
  FUZZ_CHECK(SameOptions(untouched.options, SetupOptions{}));
  CheckNoOtherEffect(failing, 0);
  return 0;
}
