#include <gtest/gtest.h>

#include "fakes/fake_files.h"

namespace {

struct MatchCase {
  const char* name;
  std::u16string pattern;
  std::u16string fileName;
  bool matches;
};

class FakeWildcardMatch : public ::testing::TestWithParam<MatchCase> {};

TEST_P(FakeWildcardMatch, MatchesLikeTheFileSearch) {
  const MatchCase& c = GetParam();
  EXPECT_EQ(c.matches, FakeFiles::Matches(c.pattern, c.fileName));
}

// Many stars before a text that never comes: every way of sharing the name among the stars
// fails, which a matcher that tries them one by one does not finish.
const std::u16string kManyStars = u"csp" + std::u16string(12, u'*') + u"x6[si";
const std::u16string kLongNoMatch = u"CSP" + std::u16string(68, u'\0') + u"-\u00ff\u00ffI";
const std::u16string kStarsBetweenA = u"*a*a*a*a*a*a*a*a*a*a*a*b";

INSTANTIATE_TEST_SUITE_P(
    Cases, FakeWildcardMatch,
    ::testing::Values(
        MatchCase{"CaseIgnored", u"csp*x64*.msi", u"CSP-X64.MSI", true},
        MatchCase{"QuestionTakesOneUnit", u"?sp*", u"csp", true},
        MatchCase{"QuestionNeedsAUnit", u"?sp*", u"sp", false},
        MatchCase{"StarTakesNothing", u"csp*.msi", u"csp.msi", true},
        MatchCase{"TextAfterLastStarMustEndTheName", u"csp*.msi", u"csp.msi.bak", false},
        MatchCase{"StarThenQuestionAtEnd", u"a*?", u"a", false},
        MatchCase{"StarThenQuestionAtEndOneUnit", u"a*?", u"ab", true},
        MatchCase{"LaterStarResumesAfterEarlierMiss", u"*ab*cd", u"aabxcxcd", true},
        MatchCase{"TrailingBlanksAndStopsDropped", u"abc .", u"abc", true},
        MatchCase{"NothingLeftMatchesNothing", u". ", u".", false},
        MatchCase{"CyrillicCaseIgnored", u"а*Я", u"Абвя", true},
        MatchCase{"ManyStarsLongNameNoMatch", kManyStars, kLongNoMatch, false},
        MatchCase{"ManyStarsLongNameMatch", kManyStars,
                  u"CSP" + std::u16string(68, u'-') + u"X6[SI", true},
        MatchCase{"StarsBetweenRepeatsNoMatch", kStarsBetweenA, std::u16string(60, u'a'), false},
        MatchCase{"StarsBetweenRepeatsMatch", kStarsBetweenA, std::u16string(60, u'a') + u"b",
                  true}),
    [](const ::testing::TestParamInfo<MatchCase>& param) { return std::string(param.param.name); });

}  // namespace
