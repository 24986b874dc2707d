// The question to the users of the programs that hold the plug-in's files, and the
// postponement it may end with: who is asked, how the kept postponement bounds it, and the
// text they read.

#include "actions/close_request.h"

#include <gtest/gtest.h>

#include "actions/postponement.h"
#include "common/product_catalogue.h"
#include "fakes/fake_holders.h"
#include "fakes/fake_system.h"
#include "ui/close_question.h"

namespace {

constexpr std::uint32_t kStart = FakeHolders::kStart;
constexpr std::uint32_t kHour = 3600;
constexpr std::uint32_t kDay = 24 * kHour;
constexpr std::uint32_t kYesNoStyle = 0x50024;  // MB_YESNO | MB_ICONQUESTION | topmost, foreground
constexpr std::uint32_t kOkStyle = 0x50030;     // MB_OK | MB_ICONWARNING | topmost, foreground

FileHolder Program(std::uint32_t session, const char16_t* name, std::uint32_t pid = 100) {
  return {name, pid, session, 1};
}
const FileHolder kService{u"Indexer", 900, 0, kRmService};

std::u16string Kept(const char16_t* version, std::uint32_t first, std::uint32_t last,
                    std::uint32_t declined) {
  return PostponementText({version, first, last, declined});
}

class CloseRequestTest : public ::testing::Test {
 protected:
  CloseRequestTest() {
    fake.sys.holders = &holders;
    state.options.askCloseMinutes = 2;
  }
  CloseVerdict Ask() { return AskToCloseHolders(fake.sys, state, files, u"2.0.0"); }
  std::vector<std::uint32_t> AskedSessions() const {
    std::vector<std::uint32_t> ids;
    for (const SessionQuestion& question : holders.sent) ids.push_back(question.sessionId);
    return ids;
  }
  bool Logged(const std::u16string& line) const {
    for (const std::u16string& logged : fake.log.lines) {
      if (logged == line) return true;
    }
    return false;
  }

  FakeSystem fake;
  FakeHolders holders{fake.platform};
  SetupState state;
  const std::vector<std::u16string> files{u"C:\\P\\zirel.dll", u"C:\\P\\zirelhost.exe"};
};

constexpr std::uint32_t kEnd = ~std::uint32_t{0};  // the time the run ended

struct KeptCase {
  const char* name;
  std::optional<std::u16string> kept;
  std::uint8_t maxDefer;
  std::uint32_t answer;  // session 1's, at once; 0: none
  CloseVerdict verdict;
  std::uint32_t style;                    // of the question; 0: nobody asked
  std::optional<Postponement> keptAfter;  // kEnd for the time the run ended
};

void PrintTo(const KeptCase& c, std::ostream* os) {
  *os << c.name;
}

class KeptPostponementTest : public CloseRequestTest,
                             public ::testing::WithParamInterface<KeptCase> {};

// The browser of session 1 holds the files throughout; the kept postponement decides whether
// its user may postpone, and what is kept afterwards.
TEST_P(KeptPostponementTest, BoundsThePostponements) {
  const KeptCase& c = GetParam();
  holders.queries = {{Program(1, u"Browser")}};
  holders.value = c.kept;
  state.options.maxDefer = c.maxDefer;
  if (c.answer != 0) holders.answers[1] = {c.answer, 0};

  EXPECT_EQ(c.verdict, Ask());
  EXPECT_EQ(c.style, holders.sent.empty() ? 0u : holders.sent[0].style);
  std::optional<std::u16string> expected;
  if (c.keptAfter) {
    Postponement after = *c.keptAfter;
    for (std::uint32_t* time : {&after.first, &after.last}) {
      if (*time == kEnd) *time = holders.NowSeconds();
    }
    expected = PostponementText(after);
  }
  EXPECT_EQ(expected, holders.value);
}

const Postponement kOld{u"2.0.0", kStart - 2 * kDay, kStart - 2 * kHour, 2};

INSTANTIATE_TEST_SUITE_P(
    Rows, KeptPostponementTest,
    ::testing::Values(
        KeptCase{"AnotherVersionStartsAfresh", Kept(u"1.9.0", kStart - kDay, kStart - kDay, 3), 3,
                 kAnswerNo, CloseVerdict::kPostpone, kYesNoStyle,
                 Postponement{u"2.0.0", kEnd, kEnd, 1}},
        KeptCase{"LastPostponementLeft", PostponementText(kOld), 3, kAnswerNo,
                 CloseVerdict::kPostpone, kYesNoStyle, Postponement{u"2.0.0", kOld.first, kEnd, 3}},
        KeptCase{"UsedUpAsksToCloseAndGoesOn", PostponementText(kOld), 2, kAnswerOk,
                 CloseVerdict::kGoOn, kOkStyle, kOld},
        KeptCase{"AnHourLaterAskedAgain", Kept(u"2.0.0", kStart - kDay, kStart - kHour, 1), 3,
                 kAnswerYes, CloseVerdict::kPostpone, kYesNoStyle,
                 Postponement{u"2.0.0", kStart - kDay, kEnd, 1}},
        KeptCase{"WithinTheHourButUsedUp", Kept(u"2.0.0", kStart - kDay, kStart - 60, 3), 3,
                 kAnswerOk, CloseVerdict::kGoOn, kOkStyle,
                 Postponement{u"2.0.0", kStart - kDay, kStart - 60, 3}},
        KeptCase{"SevenDaysAfterTheFirst", Kept(u"2.0.0", kStart - 7 * kDay, kStart - kDay, 0), 3,
                 kAnswerOk, CloseVerdict::kGoOn, kOkStyle,
                 Postponement{u"2.0.0", kStart - 7 * kDay, kStart - kDay, 0}},
        KeptCase{"JustUnderSevenDays", Kept(u"2.0.0", kStart - 7 * kDay + 1, kStart - kDay, 0), 3,
                 kAnswerNo, CloseVerdict::kPostpone, kYesNoStyle,
                 Postponement{u"2.0.0", kStart - 7 * kDay + 1, kEnd, 1}},
        KeptCase{"TimesAfterNowCountAsNow", Kept(u"2.0.0", kStart + kDay, kStart + kDay, 1), 3, 0,
                 CloseVerdict::kPostpone, 0, Postponement{u"2.0.0", kStart, kStart, 1}},
        KeptCase{"NotUnderstoodStartsAfresh", u"2.0.0;x;1;1", 3, kAnswerNo, CloseVerdict::kPostpone,
                 kYesNoStyle, Postponement{u"2.0.0", kEnd, kEnd, 1}}),
    [](const auto& p) { return std::string(p.param.name); });

// A postponement that cannot be kept is no postponement: nothing would bound the next ones.
TEST_F(CloseRequestTest, PostponementThatCannotBeKeptRemovesNow) {
  holders.queries = {{Program(1, u"Browser")}};
  holders.answers[1] = {kAnswerNo, 0};
  holders.writeError = 5;
  EXPECT_EQ(CloseVerdict::kGoOn, Ask());
  EXPECT_EQ(std::nullopt, holders.value);
}

// One question per user session at the same time, naming that session's programs once each;
// services and processes of no user session are nobody's to close.
TEST_F(CloseRequestTest, EachUserSessionIsAskedOnceAtTheSameTime) {
  holders.queries = {{Program(2, u"Browser", 10),
                      kService,
                      Program(1, u"Mail", 11),
                      Program(2, u"Browser", 12),
                      Program(kInvalidSession, u"Ghost"),
                      Program(2, u"Editor\n\x202E", 13),
                      {u"Driver", 4, 7, kRmCritical}}};
  for (char16_t c = u'A'; c <= u'J'; ++c) {
    holders.queries[0].push_back(Program(1, std::u16string(1, c).c_str()));
  }
  holders.answers = {{1, {kAnswerYes, 0}}, {2, {kAnswerYes, 20}}};
  holders.queries.resize(6, holders.queries[0]);
  holders.queries.push_back({kService});  // the programs are closed by the seventh look

  EXPECT_EQ(CloseVerdict::kGoOn, Ask());
  EXPECT_EQ((std::vector<std::uint32_t>{2, 1}), AskedSessions());
  ASSERT_EQ(2u, holders.sent.size());
  EXPECT_EQ(u"Vestacor Signavel", holders.sent[0].title);
  EXPECT_EQ(120u, holders.sent[0].timeoutSeconds);
  EXPECT_EQ(
      u"Для обновления Vestacor Signavel закройте программы:\n    Browser\n    Editor??\n\n"
      u"Да — закрыть их сейчас: обновление начнётся, как только они будут закрыты.\nНет — "
      u"отложить обновление. Осталось отложений: 3.\nВопрос действует до 23:52.",
      holders.sent[0].text);
  // Eight names at most, then one "…".
  EXPECT_NE(std::u16string::npos,
            holders.sent[1].text.find(
                u":\n    Mail\n    A\n    B\n    C\n    D\n    E\n    F\n    G\n    …\n\n"));
  // Looked again after three seconds, then every five until the programs were closed.
  EXPECT_EQ((std::vector<std::uint32_t>{3000, 5000, 5000, 5000, 5000, 5000}), fake.platform.waits);
  EXPECT_EQ(7u, holders.registered.size());
  EXPECT_EQ(files, holders.registered.back());
  EXPECT_EQ(std::nullopt, holders.value);
  EXPECT_TRUE(Logged(u"file holder: \"Editor??\", process 13, session 2"));
  EXPECT_TRUE(Logged(u"file holder: \"Indexer\", process 900, session 0, not a user's program"));
  EXPECT_TRUE(Logged(u"file holder: \"Ghost\", process 100, session -1, not a user's program"));
}

// Once postponing is over, a session that cannot answer now is passed over, and the others
// are still told to close their programs.
TEST_F(CloseRequestTest, NoPostponementLeftPassesOverADisconnectedSession) {
  state.options.maxDefer = 0;
  holders.queries = {{Program(1, u"Browser"), Program(3, u"Browser")}};
  holders.states[3] = SessionState::kDisconnected;
  EXPECT_EQ(CloseVerdict::kGoOn, Ask());
  EXPECT_EQ(std::vector<std::uint32_t>{1}, AskedSessions());
}

// A question that cannot be shown is no answer either; a Yes is not a postponement, but the
// files still held when the time is up are.
TEST_F(CloseRequestTest, AnswersThatAreNotNo) {
  holders.queries = {{Program(1, u"Browser")}};
  holders.answers[1] = {kAnswerNotShown, 0};
  EXPECT_EQ(CloseVerdict::kPostpone, Ask());
  EXPECT_EQ(u"2.0.0", holders.value->substr(0, 5));
  EXPECT_EQ(u";0", holders.value->substr(holders.value->size() - 2));

  holders.canSend = false;
  holders.value.reset();
  EXPECT_EQ(CloseVerdict::kPostpone, Ask());
  EXPECT_TRUE(holders.value.has_value());
}

// A look that fails does not mean the programs were closed, and programs closed after a Нет do
// not overrule it.
TEST_F(CloseRequestTest, OnlyAnAnsweredLookEndsTheWait) {
  holders.queries = {{Program(1, u"Browser")}, {Program(1, u"Browser")}, {}};
  holders.failingQuery = 3;
  EXPECT_EQ(CloseVerdict::kGoOn, Ask());
  EXPECT_EQ((std::vector<std::uint32_t>{3000, 5000, 5000}), fake.platform.waits);

  FakeSystem local;
  FakeHolders declined{local.platform};
  local.sys.holders = &declined;
  declined.queries = {{Program(1, u"Browser")}, {Program(1, u"Browser")}, {}};
  declined.answers[1] = {kAnswerNo, 0};
  EXPECT_EQ(CloseVerdict::kPostpone, AskToCloseHolders(local.sys, state, files, u"2.0.0"));
}

// Where nobody is to be asked the removal goes on as it always did, and the holders are only
// logged.
TEST_F(CloseRequestTest, NobodyAsked) {
  struct Row {
    const char* name;
    std::vector<std::vector<FileHolder>> queries;
    std::uint8_t minutes;
    bool resumed, providerRestart, restartManager;
    std::size_t lookups;
  };
  const Row rows[] = {
      {"ScannerLetGo", {{Program(1, u"Scan")}, {kService}}, 5, false, false, true, 2},
      {"ResumedRun", {{Program(1, u"Browser")}}, 5, true, false, true, 1},
      {"ProviderRestart", {{Program(1, u"Browser")}}, 5, false, true, true, 1},
      {"NoRestartManager", {{Program(1, u"Browser")}}, 5, false, false, false, 0},
  };
  for (const Row& row : rows) {
    FakeSystem local;
    FakeHolders none{local.platform};
    local.sys.holders = &none;
    none.queries = row.queries;
    none.restartManager = row.restartManager;
    SetupState run;
    run.options.askCloseMinutes = row.minutes;
    run.resumed = row.resumed;
    run.providersNeedRestart = row.providerRestart;
    EXPECT_EQ(CloseVerdict::kGoOn, AskToCloseHolders(local.sys, run, files, u"2.0.0")) << row.name;
    EXPECT_TRUE(none.sent.empty()) << row.name;
    EXPECT_EQ(row.lookups, none.registered.size()) << row.name;
    EXPECT_EQ(std::nullopt, none.value) << row.name;
  }
  // No list of files, no question to the Restart Manager.
  EXPECT_EQ(CloseVerdict::kGoOn, AskToCloseHolders(fake.sys, state, {}, u"2.0.0"));
  EXPECT_TRUE(holders.registered.empty());
}

TEST(CloseQuestionText, TellsThatTheProgramsMustBeClosedOncePostponingIsOver) {
  FakeSystem fake;
  EXPECT_EQ(
      u"Для обновления Vestacor Signavel закройте программы:\n    A\n    B\n\nОтложить "
      u"обновление больше нельзя: закройте их сейчас. Обновление начнётся, как только они будут "
      u"закрыты, но не позже 00:01.",
      CloseQuestionText(fake.resources, HolderLine(u"A") + HolderLine(u"B"), 0,
                        {2026, 12, 9, 0, 1, 59}));
}

TEST(SafeHolderName, CutsLongNamesWithoutSplittingACharacter) {
  const std::u16string longName(63, u'x');
  EXPECT_EQ(longName, SafeHolderName(longName + u"\xD83D\xDE00"));
  EXPECT_EQ(longName + u"y", SafeHolderName(longName + u"yz"));
  EXPECT_EQ(u"a?b?c?d", SafeHolderName(u"a\tb\x2066"
                                       u"c\x7F"
                                       u"d"));
}

TEST(ParsePostponement, RefusesAnythingButItsOwnText) {
  Postponement read;
  EXPECT_TRUE(ParsePostponement(u"1.2;1765000000;4294967295;2", &read));
  EXPECT_EQ(u"1.2", read.version);
  EXPECT_EQ(4294967295u, read.last);
  EXPECT_EQ(2u, read.declined);
  for (const char16_t* bad :
       {u"", u";1;2;3", u"1.2;1;2", u"1.2;1;2;3;4", u"1.2;1;;3", u"1.2;1;2;-3", u"1.2;1 ;2;3",
        u"1.2;1;2;4294967296", u"1.2;01234567890;2;3"}) {
    EXPECT_FALSE(ParsePostponement(bad, &read)) << Utf8(bad);
  }
}

// The run that leaves the kept version, or a newer one, installed forgets the postponement.
TEST(ForgetPostponement, OnceTheVersionIsInstalled) {
  const struct {
    const char16_t* kept;
    const char16_t* installed;  // nullptr: no plug-in installed
    bool forgotten;
  } rows[] = {
      {u"2.0.0;1;1;1", u"2.0.0", true},  {u"2.0.0;1;1;1", u"2.1.0", true},
      {u"2.1.0;1;1;1", u"2.0.0", false}, {u"2.0.0;1;1;1", nullptr, false},
      {u"garbled", u"1.0.0", true},
  };
  for (const auto& row : rows) {
    FakeSystem fake;
    FakeHolders holders{fake.platform};
    fake.sys.holders = &holders;
    holders.value = row.kept;
    if (row.installed != nullptr) {
      fake.installer.products[kPluginProductCode].info[u"VersionString"] = row.installed;
    }
    ForgetPostponement(fake.sys);
    EXPECT_EQ(row.forgotten, !holders.value.has_value()) << Utf8(row.kept);
  }
}

}  // namespace
