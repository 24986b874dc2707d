#include "ui/localized_strings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "expected_strings.h"
#include "fakes/fake_system.h"

namespace {

std::u16string Load(FakeSystem& fake, std::uint16_t id) {
  return LoadLocalizedString(fake.resources, id);
}

TEST(LoadLocalizedString, EveryIdOfTheTableReadsItsTextExactly) {
  FakeSystem fake;
  for (std::uint16_t id = kFirstExpectedStringId; id <= kLastExpectedStringId; ++id) {
    EXPECT_EQ(ExpectedText(id), Load(fake, id)) << "id " << id;
  }
}

TEST(LoadLocalizedString, AsksForTheStringBlockOfTheId) {
  FakeSystem fake;
  for (const auto& [id, block] : std::vector<std::pair<std::uint16_t, std::uint16_t>>{
           {96, 7}, {111, 7}, {112, 8}, {127, 8}, {128, 9}, {143, 9}, {144, 10}, {15, 1}}) {
    fake.resources.requests.clear();
    Load(fake, id);
    ASSERT_EQ(1u, fake.resources.requests.size()) << "id " << id;
    EXPECT_EQ(kRtString, fake.resources.requests[0].first) << "id " << id;
    EXPECT_EQ(block, fake.resources.requests[0].second) << "id " << id;
  }
}

TEST(LoadLocalizedString, IdsWithoutStringAreEmpty) {
  FakeSystem fake;
  for (int number : {96, 97, 100, 132, 140, 141, 149, 0, 65535}) {
    const auto id = static_cast<std::uint16_t>(number);
    EXPECT_EQ(u"", Load(fake, id)) << "id " << id;
  }
}

TEST(LoadLocalizedString, CountsCodeUnitsNotBytes) {
  FakeSystem fake;
  EXPECT_EQ(u"Опции", Load(fake, 143));
  EXPECT_EQ(5u, Load(fake, 143).size());
  EXPECT_EQ(u"Обновление", Load(fake, 128));
  EXPECT_EQ(10u, Load(fake, 128).size());
  EXPECT_EQ(u"Vestacor Signavel", Load(fake, 104));
}

TEST(LoadLocalizedString, LineBreaksAreSingleLineFeeds) {
  FakeSystem fake;
  const auto count = [&](std::uint16_t id, char16_t c) {
    const std::u16string text = Load(fake, id);
    return std::count(text.begin(), text.end(), c);
  };
  EXPECT_EQ(1, count(111, u'\n'));
  EXPECT_EQ(2, count(107, u'\n'));
  EXPECT_EQ(2, count(108, u'\n'));
  for (std::uint16_t id = kFirstExpectedStringId; id <= kLastExpectedStringId; ++id) {
    EXPECT_EQ(0, count(id, u'\r')) << "id " << id;
    const std::u16string text = Load(fake, id);
    if (!text.empty()) {
      EXPECT_NE(u' ', text.back()) << "id " << id;
    }
  }
}

TEST(LoadLocalizedString, LastEntryOfABlockAndNeighbours) {
  FakeSystem fake;
  fake.resources.SetStrings({{16, u"first"}, {17, u""}, {18, u"third"}, {31, u"last"}});
  EXPECT_EQ(u"first", Load(fake, 16));
  EXPECT_EQ(u"", Load(fake, 17));
  EXPECT_EQ(u"third", Load(fake, 18));
  EXPECT_EQ(u"", Load(fake, 30));
  EXPECT_EQ(u"last", Load(fake, 31));
}

// Raw block bytes: little-endian count words and code units.
std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint16_t> units) {
  std::vector<std::uint8_t> bytes;
  for (std::uint16_t unit : units) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

struct MalformedCase {
  const char* name;
  std::vector<std::uint8_t> block;  // block 1 (ids 0 to 15)
  std::uint16_t id;
  std::u16string expected;
};

void PrintTo(const MalformedCase& c, std::ostream* os) {
  *os << c.name;
}

class MalformedBlockTest : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedBlockTest, NeverReadsPastTheBlock) {
  FakeSystem fake;
  const MalformedCase& c = GetParam();
  // An exactly sized copy, so that the sanitizer build catches any read past its end.
  fake.resources.SetRawBlock(1, std::vector<std::uint8_t>(c.block.begin(), c.block.end()));
  EXPECT_EQ(c.expected, Load(fake, c.id));
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, MalformedBlockTest,
    ::testing::Values(
        MalformedCase{"Empty", {}, 0, u""}, MalformedCase{"OneByte", {3}, 0, u""},
        MalformedCase{"CountWithoutText", Bytes({3}), 0, u""},
        MalformedCase{"TextCutShort", Bytes({3, u'a', u'b'}), 0, u""},
        MalformedCase{"OddLastByte",
                      [] {
                        auto b = Bytes({1, u'a', 2});
                        b.push_back(u'x');
                        return b;
                      }(),
                      1, u""},
        MalformedCase{"EntryBeyondShortBlock", Bytes({1, u'a', 0}), 5, u""},
        MalformedCase{"HugeCountSkipsPastEnd", Bytes({0xFFFF, u'a'}), 1, u""},
        MalformedCase{"HugeCountOfTheEntry", Bytes({0, 0xFFFF, u'a'}), 1, u""},
        MalformedCase{"ShortBlockStillServesItsEntries", Bytes({0, 2, u'o', u'k'}), 1, u"ok"},
        MalformedCase{"EntryEndingExactlyAtTheEnd", Bytes({1, u'a', 1, u'b'}), 1, u"b"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(LoadLocalizedString, MissingBlockIsEmpty) {
  FakeSystem fake;
  fake.resources.SetStrings({{5, u"five"}});
  EXPECT_EQ(u"five", Load(fake, 5));
  EXPECT_EQ(u"", Load(fake, 104));
}

struct MessageCase {
  std::uint16_t textId;
  std::optional<std::uint32_t> code;
  std::uint32_t style;
  std::u16string expectedText;
};

void PrintTo(const MessageCase& c, std::ostream* os) {
  *os << "text " << c.textId << " code " << (c.code ? std::to_string(*c.code) : "none");
}

class ShowMessageTest : public ::testing::TestWithParam<MessageCase> {};

TEST_P(ShowMessageTest, BuildsTextAndShowsOneBox) {
  FakeSystem fake;
  const MessageCase& c = GetParam();
  ShowMessage(fake.sys, fake.PromptsFor(false), BoxKind::kUnlessSilent, c.textId, 104, c.style,
              c.code);
  ASSERT_EQ(1u, fake.ui.boxes.size());
  EXPECT_EQ(c.expectedText, fake.ui.boxes[0].text);
  EXPECT_EQ(u"Vestacor Signavel", fake.ui.boxes[0].caption);
  EXPECT_EQ(c.style, fake.ui.boxes[0].style);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ShowMessageTest,
    ::testing::Values(
        MessageCase{105, 1603u, 0x10, u"В процессе установки Vestacor CSP возникла ошибка: 1603."},
        MessageCase{106, 3u, 0x10,
                    u"В процессе установки или обновления Vestacor Signavel возникла ошибка: 3."},
        MessageCase{105, 4294967295u, 0x10,
                    u"В процессе установки Vestacor CSP возникла ошибка: 4294967295."},
        MessageCase{106, 2147483648u, 0x10,
                    u"В процессе установки или обновления Vestacor Signavel возникла ошибка: "
                    u"2147483648."},
        MessageCase{105, 0u, 0x10, u"В процессе установки Vestacor CSP возникла ошибка: 0."},
        MessageCase{110, std::nullopt, 0,
                    u"Vestacor Signavel успешно установлен.\nДля корректной работы Vestacor "
                    u"Signavel необходимо перезапустить браузер."},
        MessageCase{132, std::nullopt, 0x34, u""}));

TEST(ShowMessage, ReturnsTheButtonAndAllowsEmptyCaption) {
  FakeSystem fake;
  fake.ui.answers = {kIdNo, 0};
  EXPECT_EQ(kIdNo, ShowMessage(fake.sys, fake.PromptsFor(false), BoxKind::kUnlessSilent, 103, 104,
                               kMbYesNo));
  EXPECT_EQ(
      0, ShowMessage(fake.sys, fake.PromptsFor(false), BoxKind::kUnlessSilent, 103, 140, kMbYesNo));
  ASSERT_EQ(2u, fake.ui.boxes.size());
  EXPECT_EQ(u"Установить Vestacor Signavel?", fake.ui.boxes[1].text);
  EXPECT_EQ(u"", fake.ui.boxes[1].caption);
}

TEST(ShowMessage, CaptionFromItsOwnId) {
  FakeSystem fake;
  ShowMessage(fake.sys, fake.PromptsFor(false), BoxKind::kUnlessSilent, 139, 129, kMbIconError);
  ASSERT_EQ(1u, fake.ui.boxes.size());
  EXPECT_EQ(u"Не возможно найти msi-пакет.", fake.ui.boxes[0].text);
  EXPECT_EQ(u"Ошибка", fake.ui.boxes[0].caption);
}

TEST(ShowMessage, NobodyCanSeeGivesTheSafeAnswerWithoutABox) {
  FakeSystem fake;
  fake.ui.canSee = false;
  fake.ui.answers = {kIdYes, kIdYes, kIdYes};  // would agree, were anybody there
  EXPECT_EQ(kIdNo, ShowMessage(fake.sys, fake.PromptsFor(false), BoxKind::kUnlessSilent, 103, 104,
                               kMbYesNo));
  EXPECT_EQ(kIdNo, ShowMessage(fake.sys, fake.PromptsFor(false), BoxKind::kUnlessSilent, 108, 104,
                               kMbRestartOffer));
  EXPECT_EQ(kIdOk, ShowMessage(fake.sys, fake.PromptsFor(false), BoxKind::kUnlessSilent, 139, 129,
                               kMbIconError));
  EXPECT_EQ(kIdOk, ShowMessage(fake.sys, fake.PromptsFor(false), BoxKind::kUnlessSilent, 105, 104,
                               kMbIconError, 1603u));
  EXPECT_TRUE(fake.ui.boxes.empty());
  const std::vector<std::u16string> expected{
      u"message 103 not shown: nobody can see it: Установить Vestacor Signavel?",
      u"message 103 taken as answered: No",
      u"message 108 not shown: nobody can see it: " + ExpectedText(108),
      u"message 108 taken as answered: No",
      u"message 139 not shown: nobody can see it: Не возможно найти msi-пакет.",
      u"message 139 taken as answered: OK",
      u"message 105 not shown: nobody can see it: " + ExpectedText(105) + u": 1603.",
      u"message 105 taken as answered: OK"};
  EXPECT_EQ(expected, fake.log.lines);
}

}  // namespace
