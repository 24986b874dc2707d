// Letter case folding shared by the option, file-name and property-name comparisons: only A-Z
// and a-z meet, and a prefix or suffix longer than the text never matches.
#include "common/ascii_text.h"

#include <gtest/gtest.h>

namespace {

TEST(AsciiText, FoldsOnlyAsciiLetters) {
  // '@' and '[' border 'A'-'Z', '`' and '{' border 'a'-'z'; U+00C4 and U+0414 have a case
  // that Windows file names honour but these comparisons do not.
  EXPECT_EQ(LowerAsciiText(u"@AZ[`az{\u00C4\u0414"), u"@az[`az{\u00C4\u0414");
  EXPECT_EQ(UpperAscii(u'`'), u'`');
  EXPECT_EQ(UpperAscii(u'{'), u'{');
  EXPECT_EQ(UpperAscii(u'q'), u'Q');
  static_assert(LowerAscii(u'Q') == u'q' && UpperAscii(u'\u00E4') == u'\u00E4');
}

TEST(AsciiText, ComparesEndsWithoutCase) {
  EXPECT_TRUE(StartsWithNoCase(u"ZirelPluginSetup-Resume-1", u"zirelpluginsetup-resume-"));
  EXPECT_TRUE(StartsWithNoCase(u"abc", u""));
  EXPECT_FALSE(StartsWithNoCase(u"zirel", u"zirel-"));
  EXPECT_FALSE(StartsWithNoCase(u"\u00C4bc", u"\u00E4b"));
  EXPECT_TRUE(EndsWithNoCase(u"REGEDIT.EXE", u".exe"));
  EXPECT_FALSE(EndsWithNoCase(u"exe", u".exe"));
  EXPECT_FALSE(EndsWithNoCase(u"regedit.exe ", u".exe"));
}

}  // namespace
