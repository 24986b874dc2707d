// The command line read into SetupOptions, and the help that it asks for.

#include "setup/command_line.h"

#include <gtest/gtest.h>

#include "fakes/fake_system.h"

namespace {

// The help's pieces, in their order.
const std::u16string kHelpPieces[13] = {
    u"",
    u"Установщик Vestacor Signavel.\n",
    u"При запуске без параметров осуществляет установку с параметрами по умолчанию.\n",
    u"\n",
    u"Возможные параметры командной строки:\n",
    u"  -?\t\t вывести данную справку\n",
    u"  -zirelargs \"<args>\" дополнительные параметры командной\n \t\t строки(<args>) для вызова "
    u"msiexec /i\n \t\t при установке пакета MSI плагина\n",
    u"  -silent\t\t подавить диалоговые окна\n",
    u"  -cspargs \"<args>\"     дополнителные параметры командной\n \t\t строки (<args>) для "
    u"вызова msiexec /i\n \t\t при установке пакета MSI Vestacor CSP\n",
    u"  -ucspargs \"<args>\"   дополнительные параметры командной\n \t\t строки (<args>) для "
    u"вызова msiexec /i\n \t\t при установке пакета MSI Vestacor VAZ CSP\n",
    u"  -selectDlg\t вывести диалог выбора конфигурации\n \t\t Vestacor CSP\n",
    u"  -KC\t\t уровень KC Vestacor CSP\n",
    u"  -Lang\t\t язык Vestacor CSP\n",
};

std::u16string Help(std::initializer_list<int> pieces) {
  std::u16string text;
  for (int piece : pieces) text += kHelpPieces[piece];
  return text;
}

const std::u16string kPlainHelp = Help({1, 2, 3, 4, 5, 6, 7});
const std::u16string kCspHelp = Help({1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12});
const std::u16string kUcspHelp = Help({1, 2, 3, 4, 5, 6, 7, 9});
const std::u16string kBothHelp = Help({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});

struct Parsed {
  ParseOutcome outcome;
  SetupOptions options;
};

Parsed Parse(FakeSystem& fake, const std::u16string& text) {
  const CommandLine line = ReadCommandLine(fake.platform, text);
  EXPECT_EQ(text, line.text);
  return Parsed{line.outcome, line.options};
}

// Every flag and field of the option table, for comparing whole records.
std::string Describe(const SetupOptions& o) {
  std::string text;
  for (const CommandOption& option : AllCommandOptions()) {
    if (option.kind == OptionKind::kFlag) {
      text += std::string(option.name) + "=" + std::to_string(o.*option.flag) + " ";
    } else if (option.text != nullptr) {
      text += std::string(option.name) + "=[" + Utf8(o.*option.text) + "] ";
    } else if (option.number != nullptr) {
      text += std::string(option.name) + "=" + std::to_string(o.*option.number) + " ";
    }
  }
  return text;
}

SetupOptions Options(std::initializer_list<const char*> flags) {
  SetupOptions o;
  for (std::string flag : flags) {
    if (flag == "csp") o.installCsp = true;
    if (flag == "ucsp") o.installUcsp = true;
    if (flag == "select") o.selectConfig = true;
    if (flag == "silent") o.silent = true;
    if (flag == "norestart") o.noRestart = true;
  }
  return o;
}

struct AcceptedCase {
  const char* name;
  std::u16string commandLine;
  SetupOptions expected;
};

void PrintTo(const AcceptedCase& c, std::ostream* os) {
  *os << c.name;
}

class AcceptedCommandLineTest : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedCommandLineTest, FillsTheOptionsWithoutHelp) {
  FakeSystem fake;
  const AcceptedCase& c = GetParam();
  const Parsed parsed = Parse(fake, c.commandLine);
  EXPECT_EQ(ParseOutcome::kParsed, parsed.outcome);
  EXPECT_EQ(Describe(c.expected), Describe(parsed.options));
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_EQ(std::vector<std::u16string>{c.commandLine}, fake.platform.splitTexts);
}

SetupOptions With(SetupOptions o, std::u16string SetupOptions::*field, std::u16string value) {
  o.*field = std::move(value);
  return o;
}

SetupOptions Numbers(SetupOptions o, std::uint8_t askCloseMinutes, std::uint8_t maxDefer) {
  o.askCloseMinutes = askCloseMinutes;
  o.maxDefer = maxDefer;
  return o;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AcceptedCommandLineTest,
    ::testing::Values(
        AcceptedCase{"Csp", u"-csp", Options({"csp"})},
        AcceptedCase{"Ucsp", u"-ucsp", Options({"ucsp"})},
        AcceptedCase{"SelectDlg", u"-selectDlg", Options({"select"})},
        AcceptedCase{"Silent", u"-silent", Options({"silent"})},
        AcceptedCase{"AllFlags", u"-silent -selectDlg -ucsp -csp",
                     Options({"csp", "ucsp", "select", "silent"})},
        AcceptedCase{"UpperCase", u"-CSP -SILENT -UCSP -SELECTDLG",
                     Options({"csp", "ucsp", "select", "silent"})},
        AcceptedCase{"MixedCase", u"-Csp -Silent -sElEcTdLg", Options({"csp", "select", "silent"})},
        AcceptedCase{"RepeatedFlag", u"-csp -csp -CSP", Options({"csp"})},
        AcceptedCase{"NoRestart", u"-silent -norestart", Options({"silent", "norestart"})},
        AcceptedCase{"NoRestartAnyCaseAndPlace", u"-NoRestart -csp -NORESTART",
                     Options({"csp", "norestart"})},
        AcceptedCase{"ZirelArgsTakesNoRestartAsValue", u"-ZirelArgs -norestart -silent",
                     With(Options({"silent"}), &SetupOptions::pluginArgs, u"-norestart ")},
        AcceptedCase{"WhitespaceOnlyGivesNoTokens", u"   ", Options({})},
        AcceptedCase{"CspArgs", u"-csp -CSPArgs A=1",
                     With(Options({"csp"}), &SetupOptions::cspArgs, u"A=1 ")},
        AcceptedCase{"CspArgsQuotedWithBlank", u"-csp -CSPArgs \"A=1 B=2\"",
                     With(Options({"csp"}), &SetupOptions::cspArgs, u"A=1 B=2 ")},
        AcceptedCase{"CspArgsRepeated", u"-csp -CSPArgs A=1 -cspargs B=2",
                     With(Options({"csp"}), &SetupOptions::cspArgs, u"A=1 B=2 ")},
        AcceptedCase{"Kc", u"-csp -KC kc2",
                     With(Options({"csp"}), &SetupOptions::kcPattern, u"*kc2*")},
        AcceptedCase{"KcRepeated", u"-csp -kc kc2 -Kc kc3",
                     With(Options({"csp"}), &SetupOptions::kcPattern, u"*kc2**kc3*")},
        AcceptedCase{"KcAndLang", u"-csp -KC kc1 -Lang rus",
                     With(With(Options({"csp"}), &SetupOptions::kcPattern, u"*kc1*"),
                          &SetupOptions::langPattern, u"*rus*")},
        AcceptedCase{"UcspArgs", u"-ucsp -UCSPArgs X=1 -ucspargs \"Y=2 Z=3\"",
                     With(Options({"ucsp"}), &SetupOptions::ucspArgs, u"X=1 Y=2 Z=3 ")},
        AcceptedCase{"ZirelArgsWithoutFlags", u"-ZirelArgs P=1",
                     With(Options({}), &SetupOptions::pluginArgs, u"P=1 ")},
        AcceptedCase{"ZirelArgsTakesAnOptionAsValue", u"-ZirelArgs -csp",
                     With(Options({}), &SetupOptions::pluginArgs, u"-csp ")},
        AcceptedCase{"CspArgsTakesSilentAsValue", u"-csp -CSPArgs -silent",
                     With(Options({"csp"}), &SetupOptions::cspArgs, u"-silent ")},
        AcceptedCase{"ValueMayBeHelp", u"-zirelargs -help",
                     With(Options({}), &SetupOptions::pluginArgs, u"-help ")},
        AcceptedCase{"EmptyQuotedValue", u"-ZirelArgs \"\"",
                     With(Options({}), &SetupOptions::pluginArgs, u" ")},
        AcceptedCase{"ParsingGoesOnAfterTheValue", u"-ZirelArgs a -silent -ZirelArgs b",
                     With(Options({"silent"}), &SetupOptions::pluginArgs, u"a b ")},
        AcceptedCase{"NumbersAtTheirBounds", u"-AskClose 30 -maxdefer 0 -silent",
                     Numbers(Options({"silent"}), 30, 0)},
        AcceptedCase{"LastNumberCounts", u"-askclose 1 -maxdefer 99 -askclose 007",
                     Numbers(Options({}), 7, 99)},
        AcceptedCase{"ZirelArgsTakesAskCloseAsValue", u"-ZirelArgs -askclose",
                     With(Options({}), &SetupOptions::pluginArgs, u"-askclose ")}),
    [](const auto& p) { return std::string(p.param.name); });

struct HelpCase {
  const char* name;
  std::u16string commandLine;
  std::u16string expectedHelp;
};

void PrintTo(const HelpCase& c, std::ostream* os) {
  *os << c.name;
}

class HelpCommandLineTest : public ::testing::TestWithParam<HelpCase> {};

// The reading shows nothing; the help it asks for, for the flags left of the token that asked
// for it, is one box.
TEST_P(HelpCommandLineTest, ShowsTheHelpOnceAndStops) {
  FakeSystem fake;
  const HelpCase& c = GetParam();
  const Parsed parsed = Parse(fake, c.commandLine);
  EXPECT_EQ(ParseOutcome::kHelpWanted, parsed.outcome);
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_TRUE(fake.log.lines.empty());
  ShowHelp(fake.sys, fake.PromptsFor(false), parsed.options);
  ASSERT_EQ(1u, fake.ui.boxes.size());
  EXPECT_EQ(c.expectedHelp, fake.ui.boxes[0].text);
  EXPECT_EQ(u"Справка", fake.ui.boxes[0].caption);
  EXPECT_EQ(0x40u, fake.ui.boxes[0].style);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HelpCommandLineTest,
    ::testing::Values(HelpCase{"DashHelp", u"-help", kPlainHelp},
                      HelpCase{"DoubleDashHelp", u"--help", kPlainHelp},
                      HelpCase{"SlashHelp", u"/help", kPlainHelp},
                      HelpCase{"UpperHelp", u"-HELP", kPlainHelp},
                      HelpCase{"QuestionMark", u"-?", kPlainHelp},
                      HelpCase{"SlashQuestion", u"/?", kPlainHelp},
                      HelpCase{"UnknownWord", u"install", kPlainHelp},
                      HelpCase{"OptionAsPrefixOnly", u"-cspx", kPlainHelp},
                      HelpCase{"TokenShorterThanOption", u"-cs", kPlainHelp},
                      HelpCase{"BlankInsideQuotedToken", u"\"-csp \"", kPlainHelp},
                      HelpCase{"CspHelp", u"-csp -help", kCspHelp},
                      HelpCase{"NoRestartIsNotListed", u"-norestart -silent -help", kPlainHelp},
                      HelpCase{"NoRestartWithoutItsDash", u"-silent norestart", kPlainHelp},
                      HelpCase{"HelpCsp", u"-help -csp", kPlainHelp},
                      HelpCase{"UcspHelp", u"-ucsp /help", kUcspHelp},
                      HelpCase{"BothUnknown", u"-ucsp -csp -bogus", kBothHelp},
                      HelpCase{"CspArgsBeforeCsp", u"-CSPArgs X -csp", kPlainHelp},
                      HelpCase{"KcWithoutCsp", u"-KC kc1", kPlainHelp},
                      HelpCase{"LangWithoutCsp", u"-ucsp -Lang rus", kUcspHelp},
                      HelpCase{"UcspArgsWithoutUcsp", u"-csp -UCSPArgs X", kCspHelp},
                      HelpCase{"ZirelArgsWithoutValue", u"-ucsp -csp -ZirelArgs", kBothHelp},
                      HelpCase{"CspArgsWithoutValue", u"-csp -CSPArgs", kCspHelp},
                      HelpCase{"KcWithoutValue", u"-csp -silent -KC", kCspHelp},
                      HelpCase{"UcspArgsWithoutValue", u"-ucsp -UCSPArgs", kUcspHelp},
                      HelpCase{"LangWithoutValue", u"-csp -Lang", kCspHelp},
                      HelpCase{"CyrillicLookalikeIsNotTheOption", u"-сsp", kPlainHelp}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ReadCommandLine, OptionsBeforeTheHelpStayAndNothingAfterIsRead) {
  FakeSystem fake;
  const CommandLine line =
      ReadCommandLine(fake.platform, u"-csp -silent -ZirelArgs a -bogus -ucsp -ZirelArgs b");
  EXPECT_EQ(ParseOutcome::kHelpWanted, line.outcome);
  EXPECT_EQ(Describe(With(Options({"csp", "silent"}), &SetupOptions::pluginArgs, u"a ")),
            Describe(line.options));
  EXPECT_TRUE(fake.ui.boxes.empty());
  // -silent in a line answered with the help does not make the run silent.
  EXPECT_FALSE(line.Silent());
}

TEST(ReadCommandLine, SilentOnlyInALineWithoutHelp) {
  FakeSystem fake;
  struct Row {
    std::u16string text;
    bool silent;
  };
  const Row rows[] = {
      {u"", false},
      {u"-silent", true},
      {u"-SILENT", true},
      {u"-csp -ucsp -silent -ZirelArgs \"A=1\"", true},
      {u"-ZirelArgs -silent", false},  // the value of -ZirelArgs
      {u"-silent -bogus", false},      // answered with the help
      {u"-help -silent", false},
      {u"-silent -ZirelArgs", false},  // value missing: the help
      {u"-csp", false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.silent, ReadCommandLine(fake.platform, row.text).Silent()) << Utf8(row.text);
  }
  EXPECT_TRUE(fake.ui.boxes.empty());
}

// A number option without a number in its bounds ends the reading as bad, whatever follows;
// the tokens after it are still read (a -silent further right keeps the help from showing).
TEST(ReadCommandLine, BadNumbersAreToldApart) {
  const struct {
    std::u16string text;
    const char* option;
    bool silent;
  } rows[] = {
      {u"-askclose", "-askclose", false},
      {u"-askclose 0", "-askclose", false},
      {u"-askclose 31", "-askclose", false},
      {u"-askclose x -silent", "-askclose", true},
      {u"-askclose 5x", "-askclose", false},
      {u"-askclose 0030", "-askclose", false},
      {u"-askclose -5", "-askclose", false},
      {u"-askclose \"\"", "-askclose", false},
      {u"-maxdefer 100", "-maxdefer", false},
      {u"-maxdefer 1 -askclose 99", "-askclose", false},
      {u"-maxdefer +1 -bogus -silent", "-maxdefer", false},
      {u"-askclose 99 -maxdefer 100", "-askclose", false},
      {u"-csp -askclose ３", "-askclose", false},
      {u"-askclose -silent", "-askclose", true},
      {u"-maxdefer -csp", "-maxdefer", false},
  };
  for (const auto& row : rows) {
    FakeSystem fake;
    const CommandLine line = ReadCommandLine(fake.platform, row.text);
    EXPECT_EQ(ParseOutcome::kBadValue, line.outcome) << Utf8(row.text);
    ASSERT_NE(nullptr, line.badOption) << Utf8(row.text);
    EXPECT_STREQ(row.option, line.badOption->name) << Utf8(row.text);
    EXPECT_EQ(row.silent, line.options.silent) << Utf8(row.text);
    EXPECT_EQ(0, line.options.askCloseMinutes) << Utf8(row.text);
  }
}

TEST(ReadCommandLine, EmptyTextIsNotSplit) {
  FakeSystem fake;
  fake.platform.splitFails = true;
  const CommandLine line = ReadCommandLine(fake.platform, u"");
  EXPECT_EQ(ParseOutcome::kParsed, line.outcome);
  EXPECT_EQ(Describe(SetupOptions{}), Describe(line.options));
  EXPECT_TRUE(fake.platform.splitTexts.empty());
}

TEST(ShowHelp, HelpThatNobodyCanSeeIsOnlyLogged) {
  FakeSystem fake;
  fake.ui.canSee = false;
  const Parsed parsed = Parse(fake, u"-silent -bogus");
  EXPECT_EQ(ParseOutcome::kHelpWanted, parsed.outcome);
  ShowHelp(fake.sys, fake.PromptsFor(false), parsed.options);
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_EQ(std::vector<std::u16string>{u"help not shown: nobody can see it: " + kPlainHelp},
            fake.log.lines);
}

TEST(ReadCommandLine, SplitFailureKeepsDefaults) {
  FakeSystem fake;
  fake.platform.splitFails = true;
  const Parsed parsed = Parse(fake, u"-csp -silent");
  EXPECT_EQ(ParseOutcome::kParsed, parsed.outcome);
  EXPECT_EQ(Describe(SetupOptions{}), Describe(parsed.options));
  EXPECT_TRUE(fake.ui.boxes.empty());
}

TEST(ParseArguments, AppendsToWhatTheOptionsAlreadyHold) {
  SetupOptions options;
  options.pluginArgs = u"X=0 ";
  options.kcPattern = u"kc1*";
  EXPECT_EQ(ParseOutcome::kParsed,
            ParseArguments({u"-csp", u"-KC", u"kc3", u"-ZirelArgs", u"Y=1"}, options));
  EXPECT_EQ(u"X=0 Y=1 ", options.pluginArgs);
  EXPECT_EQ(u"kc1**kc3*", options.kcPattern);
}

struct HelpTextCase {
  bool installCsp;
  bool installUcsp;
  std::u16string expected;
};

TEST(BuildHelpText, PiecesFollowTheFlags) {
  const HelpTextCase cases[] = {{false, false, kPlainHelp},
                                {true, false, kCspHelp},
                                {false, true, kUcspHelp},
                                {true, true, kBothHelp}};
  for (const auto& c : cases) {
    SetupOptions options;
    options.installCsp = c.installCsp;
    options.installUcsp = c.installUcsp;
    // The other flags play no part.
    options.selectConfig = true;
    options.silent = true;
    EXPECT_EQ(c.expected, BuildHelpText(options)) << c.installCsp << c.installUcsp;
  }
}

}  // namespace
