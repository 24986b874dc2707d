#include "log/secret_mask.h"

#include <gtest/gtest.h>

#include "fakes/fake_kernel.h"

namespace {

struct MaskCase {
  const char* name;
  QuoteReading reading;
  std::u16string text;
  std::u16string masked;
};

void PrintTo(const MaskCase& c, std::ostream* os) {
  *os << Utf8(c.text);
}

class MaskSecretsTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskSecretsTest, WritesEachPropertyValueAsStarsUnlessItIsPublicKnowledge) {
  EXPECT_EQ(Utf8(GetParam().masked), Utf8(MaskSecrets(GetParam().text, GetParam().reading)));
}

constexpr QuoteReading kInstaller = QuoteReading::kInstaller;
constexpr QuoteReading kCommandLine = QuoteReading::kCommandLine;

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
        MaskCase{"NoPropertyAfterALetterOrSlash", kInstaller,
                 u"/X=1 a\\B=2 -C=3", u"/X=1 a\\B=2 -C=3"}),
    [](const ::testing::TestParamInfo<MaskCase>& param) { return param.param.name; });

// The launcher's command line as it arrived: arguments in quotes, with msiexec's quotes
// escaped as \" inside them.
INSTANTIATE_TEST_SUITE_P(
    LauncherCommandLine, MaskSecretsTest,
    ::testing::Values(
        MaskCase{"EscapedQuotesInAQuotedArgument", kCommandLine,
                 u"-ZirelArgs \"PIDKEY=\\\"a b\\\" X=1\"", u"-ZirelArgs \"PIDKEY=*** X=***\""},
        MaskCase{"ClosingQuoteOfTheArgumentStays", kCommandLine,
                 u"-csp -CSPArgs \"PIDKEY=abc\" -silent", u"-csp -CSPArgs \"PIDKEY=***\" -silent"},
        MaskCase{"ShownPropertyAfterAMaskedOne", kCommandLine,
                 u"-CSPArgs \"PIDKEY=abc REBOOT=R\"", u"-CSPArgs \"PIDKEY=*** REBOOT=R\""},
        MaskCase{"UnquotedArgument", kCommandLine,
                 u"-CSPArgs\tPIDKEY=abc -ucsp -UCSPArgs\tSERIAL=x",
                 u"-CSPArgs\tPIDKEY=*** -ucsp -UCSPArgs\tSERIAL=***"},
        MaskCase{"EscapedDoubledQuotes", kCommandLine,
                 u"-CSPArgs \"PIDKEY=\\\"a \\\"\\\"b\\\"\\\" c\\\" ALLUSERS=1\" -csp",
                 u"-CSPArgs \"PIDKEY=*** ALLUSERS=1\" -csp"},
        MaskCase{"ArgumentQuotesOpenedInTheValue", kCommandLine,
                 u"-CSPArgs PIDKEY=\"a b c\" -silent", u"-CSPArgs PIDKEY=*** -silent"},
        MaskCase{"EscapedQuoteInsideArgumentQuotesOfTheValue", kCommandLine,
                 u"-CSPArgs PIDKEY=\"a\\\" b\\\"\" -silent", u"-CSPArgs PIDKEY=*** -silent"},
        MaskCase{"ArgumentGoesOnAfterItsClosingQuote", kCommandLine,
                 u"-CSPArgs \"PIDKEY=abc\"def -silent", u"-CSPArgs \"PIDKEY=*** -silent"},
        MaskCase{"UnclosedEscapedQuoteTakesTheRest", kCommandLine,
                 u"-CSPArgs \"PIDKEY=\\\"a b\" -silent", u"-CSPArgs \"PIDKEY=***"},
        MaskCase{"PropertyInsideAnUnclosedQuoteTakesTheRest", kCommandLine,
                 u"-ZirelArgs \"REBOOT=\\\"\" -ZirelArgs \"PIDKEY=\\\"a b\\\"\" -silent",
                 u"-ZirelArgs \"REBOOT=\\\"\" -ZirelArgs \"PIDKEY=***"},
        // Each argument was meant on its own, and the options join them: a property inside
        // the quotes of either reading takes the rest.
        MaskCase{"PropertyAfterAnArgumentWithOneQuote", kCommandLine,
                 u"-ZirelArgs \"a\\\"\" -ZirelArgs \"b\\\" Y=c\\\" PIDKEY=s\\\"t u\"",
                 u"-ZirelArgs \"a\\\"\" -ZirelArgs \"b\\\" Y=***"},
        MaskCase{"LogFileInEscapedQuotesStays", kCommandLine,
                 u"-ZirelArgs \"/l*v \\\"C:\\Logs\\a b.log\\\" PIDKEY=abc\"",
                 u"-ZirelArgs \"/l*v \\\"C:\\Logs\\a b.log\\\" PIDKEY=***\""},
        // Two backslashes before a quote are one backslash; the quote ends the argument.
        MaskCase{"BackslashesBeforeTheClosingQuote", kCommandLine,
                 u"-CSPArgs \"INSTALLDIR=C:\\Z\\\\\" PIDKEY=abc", u"-CSPArgs "
                 u"\"INSTALLDIR=C:\\Z\\\\\" PIDKEY=***"},
        MaskCase{"SeveralArguments", kCommandLine,
                 u"-csp -ucsp -CSPArgs \"ALLUSERS=1 PIDKEY=k1\" -KC kc2 -UCSPArgs SERIAL=s2 "
                 u"-ZirelArgs \"ADDLOCAL=Core PASSWORD=\\\"p 3\\\"\" -silent",
                 u"-csp -ucsp -CSPArgs \"ALLUSERS=1 PIDKEY=***\" -KC kc2 -UCSPArgs SERIAL=*** "
                 u"-ZirelArgs \"ADDLOCAL=Core PASSWORD=***\" -silent"}),
    [](const ::testing::TestParamInfo<MaskCase>& param) { return param.param.name; });
// clang-format on

}  // namespace
