#include "log/secret_mask.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace {

// A text of msiexec's arguments, or the launcher's command line as the platform splits it.
enum class Reading { kInstaller, kCommandLine };

struct MaskCase {
  const char* name;
  Reading reading;
  std::u16string text;
  std::u16string masked;
};

void PrintTo(const MaskCase& c, std::ostream* os) {
  *os << Utf8(c.text);
}

class MaskSecretsTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskSecretsTest, WritesEachPropertyValueAsStarsUnlessItIsPublicKnowledge) {
  FakeKernel kernel;
  FakePlatform platform(kernel);
  const MaskCase& c = GetParam();
  EXPECT_EQ(Utf8(c.masked),
            Utf8(c.reading == Reading::kInstaller ? MaskSecrets(c.text, QuoteReading::kInstaller)
                                                  : MaskCommandLine(platform, c.text)));
}

// A command line that the platform cannot split is read as msiexec's arguments.
TEST(MaskCommandLine, UnsplitTextIsReadAsMsiexecArguments) {
  FakeKernel kernel;
  FakePlatform platform(kernel);
  platform.splitFails = true;
  EXPECT_EQ("-ZirelArgs \"PIDKEY=***",
            Utf8(MaskCommandLine(platform, u"-ZirelArgs \"PIDKEY=a b\"")));
}

constexpr Reading kInstaller = Reading::kInstaller;
constexpr Reading kCommandLine = Reading::kCommandLine;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    InstallerArguments, MaskSecretsTest,
    ::testing::Values(
        MaskCase{"Unquoted", kInstaller,
                 u"PIDKEY=ABCDE-12345 SERIAL=77 ", u"PIDKEY=*** SERIAL=*** "},
        MaskCase{"QuotedWithBlanks", kInstaller,
                 u"PIDKEY=\"a b c\" REBOOT=R", u"PIDKEY=*** REBOOT=R"},
        // msiexec's own example of literal quotes: each doubled inside the quoted value.
        MaskCase{"DoubledQuotes", kInstaller,
                 u"COMPANYNAME=\"Acme \"\"Widgets\"\" and \"\"Gizmos.\"\"\" ALLUSERS=1",
                 u"COMPANYNAME=*** ALLUSERS=1"},
        MaskCase{"EmptyAndEmptyQuoted", kInstaller,
                 u"PIDKEY=\"\" KEY2= ", u"PIDKEY=*** KEY2= ***"},
        MaskCase{"QuotesInsideAnUnquotedValue", kInstaller,
                 u"PIDKEY=ab\"c d\"e REBOOT=R", u"PIDKEY=*** REBOOT=R"},
        MaskCase{"UnclosedQuoteTakesTheRest", kInstaller,
                 u"PIDKEY=\"a b REBOOT=R ADDLOCAL=ALL", u"PIDKEY=***"},
        MaskCase{"BlanksAroundTheEqualsSign", kInstaller,
                 u"PIDKEY = abc PASSWORD  =  \"d e\" REBOOT = R",
                 u"PIDKEY = *** PASSWORD  =  *** REBOOT = R"},
        MaskCase{"PropertyAfterAnOpeningQuote", kInstaller,
                 u"\"PIDKEY=abc def\" X=1", u"\"PIDKEY=***"},
        MaskCase{"AnyNameIsMasked", kInstaller,
                 u"pidkey=1 _Serial.2=2 REBOOTX=3 XREBOOT=4 REBOOT.=5 ALLUSER=6 КЛЮЧ=7",
                 u"pidkey=*** _Serial.2=*** REBOOTX=*** XREBOOT=*** REBOOT.=*** ALLUSER=*** "
                 u"КЛЮЧ=***"},
        MaskCase{"PublicPropertiesInAnyLetterCase", kInstaller,
                 u"reboot=ReallySuppress RebootPrompt=S allusers=1 ADDLOCAL=Core,VIVAZED "
                 u"AddSource=A AddDefault=B Advertise=C remove=ALL REINSTALL=ALL "
                 u"ReinstallMode=vomus transforms=a.mst;b.mst InstallDir=\"C:\\Program Files\\Z\" "
                 u"TARGETDIR=C:\\Z MsiFastInstall=7",
                 u"reboot=ReallySuppress RebootPrompt=S allusers=1 ADDLOCAL=Core,VIVAZED "
                 u"AddSource=A AddDefault=B Advertise=C remove=ALL REINSTALL=ALL "
                 u"ReinstallMode=vomus transforms=a.mst;b.mst InstallDir=\"C:\\Program Files\\Z\" "
                 u"TARGETDIR=C:\\Z MsiFastInstall=7"},
        // A property inside quotes, here those of a shown value, has no certain end.
        MaskCase{"PropertyInsideAShownValue", kInstaller,
                 u"INSTALLDIR=\"C:\\Z PIDKEY=abc\" REBOOT=R", u"INSTALLDIR=\"C:\\Z PIDKEY=***"},
        MaskCase{"SwitchesFilesAndPackageStay", kInstaller,
                 u"msiexec /qn /i \"C:\\dist\\x 64\\csp-kc1.msi\" /l*v \"C:\\Logs\\a b.log\" "
                 u"/qn PIDKEY=\"k e y\" /norestart TRANSFORMS=t.mst  REBOOT=R",
                 u"msiexec /qn /i \"C:\\dist\\x 64\\csp-kc1.msi\" /l*v \"C:\\Logs\\a b.log\" "
                 u"/qn PIDKEY=*** /norestart TRANSFORMS=t.mst  REBOOT=R"},
        MaskCase{"TheLaunchersUpgradeLine", kInstaller,
                 u"msiexec /qn /i \"C:\\dist\\csp.msi\" SERIAL=s1 REINSTALL=ALL "
                 u"REINSTALLMODE=vomus REBOOT=R",
                 u"msiexec /qn /i \"C:\\dist\\csp.msi\" SERIAL=*** REINSTALL=ALL "
                 u"REINSTALLMODE=vomus REBOOT=R"},
        MaskCase{"OtherProgramsUnchanged", kInstaller,
                 u"regedit /s ZAZ_x86_2.reg", u"regedit /s ZAZ_x86_2.reg"},
        // msiexec takes a property of any name; a word after a switch is its file.
        MaskCase{"NamesOfAnyCharacters", kInstaller,
                 u"PID-KEY=Hy5 1ACC=Dg3 /X=1 a\\B=2 -C=3 a\"b\"=4 /l*v C:\\x.log",
                 u"PID-KEY=*** 1ACC=*** /X=*** a\\B=*** -C=*** a\"b\"=*** /l*v C:\\x.log"}),
    [](const ::testing::TestParamInfo<MaskCase>& param) { return param.param.name; });

// The launcher's command line, written back as the platform split it: each argument in
// quotes where the split needs them, msiexec's quotes in it escaped as \".
INSTANTIATE_TEST_SUITE_P(
    LauncherCommandLine, MaskSecretsTest,
    ::testing::Values(
        MaskCase{"EscapedQuotesInAQuotedArgument", kCommandLine,
                 u"-ZirelArgs \"PIDKEY=\\\"a b\\\" X=1\"", u"-ZirelArgs \"PIDKEY=*** X=***\""},
        MaskCase{"ArgumentsWrittenAsTheSplitGaveThem", kCommandLine,
                 u"-csp -CSPArgs \"PIDKEY=abc\"def\t-silent -ZirelArgs \"\"",
                 u"-csp -CSPArgs PIDKEY=*** -silent -ZirelArgs \"\""},
        MaskCase{"ShownPropertyAfterAMaskedOne", kCommandLine,
                 u"-CSPArgs \"PIDKEY=abc REBOOT=R\"", u"-CSPArgs \"PIDKEY=*** REBOOT=R\""},
        MaskCase{"EscapedDoubledQuotes", kCommandLine,
                 u"-CSPArgs \"PIDKEY=\\\"a \\\"\\\"b\\\"\\\" c\\\" ALLUSERS=1\" -csp",
                 u"-CSPArgs \"PIDKEY=*** ALLUSERS=1\" -csp"},
        // The split takes out the quotes of the argument: msiexec gets PIDKEY=a b c.
        MaskCase{"ArgumentQuotesInTheValue", kCommandLine,
                 u"-CSPArgs PIDKEY=\"a b c\" -CSPArgs PIDKEY=\"a\\\" b\\\"\"",
                 u"-CSPArgs \"PIDKEY=*** b c\" -CSPArgs PIDKEY=***"},
        // An option's values are joined for msiexec: a quote, or a NAME= without its value,
        // carries over to the next value of the same option only.
        MaskCase{"ValuesOfOneOptionReadJoined", kCommandLine,
                 u"-csp -CSPArgs \"ACCB=Qw1\\\"Er2\" -ZirelArgs \"ACCA=\\\"Uq3x\" -ZirelArgs "
                 u"\"Yk7w Zm8n\\\"\" -KC \"\\\"\" -ZirelArgs PW= -ZirelArgs s3 -ZirelArgs X=1",
                 u"-csp -CSPArgs ACCB=*** -ZirelArgs ACCA=*** -ZirelArgs *** -KC \"\\\"\" "
                 u"-ZirelArgs PW=*** -ZirelArgs *** -ZirelArgs X=***"},
        MaskCase{"UnclosedQuoteTakesTheRestOfItsOptionOnly", kCommandLine,
                 u"-ZirelArgs \"REBOOT=\\\"\" -ZirelArgs \"PIDKEY=\\\"a b\\\"\" -silent "
                 u"-ZirelArgs \"Y=c\"",
                 u"-ZirelArgs \"REBOOT=\\\"\" -ZirelArgs PIDKEY=*** -silent -ZirelArgs ***"},
        MaskCase{"LogFileInEscapedQuotesStays", kCommandLine,
                 u"-ZirelArgs \"/l*v \\\"C:\\Logs\\a b.log\\\" PIDKEY=abc\"",
                 u"-ZirelArgs \"/l*v \\\"C:\\Logs\\a b.log\\\" PIDKEY=***\""},
        // Two backslashes before a quote are one backslash; the quote ends the argument.
        MaskCase{"BackslashesBeforeTheClosingQuote", kCommandLine,
                 u"-CSPArgs \"INSTALLDIR=C:\\Z \\\\\" PIDKEY=abc",
                 u"-CSPArgs \"INSTALLDIR=C:\\Z \\\\\" PIDKEY=***"},
        MaskCase{"SeveralArguments", kCommandLine,
                 u"-csp -ucsp -CSPArgs \"ALLUSERS=1 PIDKEY=k1\" -KC kc2 -UCSPArgs SERIAL=s2 "
                 u"-ZirelArgs \"ADDLOCAL=Core PASSWORD=\\\"p 3\\\"\" -silent",
                 u"-csp -ucsp -CSPArgs \"ALLUSERS=1 PIDKEY=***\" -KC kc2 -UCSPArgs SERIAL=*** "
                 u"-ZirelArgs \"ADDLOCAL=Core PASSWORD=***\" -silent"}),
    [](const ::testing::TestParamInfo<MaskCase>& param) { return param.param.name; });
// clang-format on

}  // namespace
