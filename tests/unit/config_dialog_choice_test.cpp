#include "ui/config_dialog_choice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "actions/setup_options.h"
#include "fakes/fake_resources.h"
#include "setup/dialog_choice.h"
#include "system/ui_api.h"

namespace {

using ::testing::ElementsAre;

struct LanguageRow {
  std::uint16_t language;
  int checkedLanguageButton;
};

TEST(InitialCheckedButtons, RussianOnlyForExactlyRussianRussia) {
  const LanguageRow rows[] = {
      {0x0419, kCtlRussian},  // Russian (Russia)
      {0x0819, kCtlEnglish},  // Russian (Moldova)
      {0x0409, kCtlEnglish},  // English (United States)
      {0x0422, kCtlEnglish},  // Ukrainian
      {0x0019, kCtlEnglish},  // Russian, neutral sublanguage
      {0x1419, kCtlEnglish},  // same primary language, other sublanguage bits
      {0x0000, kCtlEnglish}, {0xFFFF, kCtlEnglish},
  };
  for (const LanguageRow& row : rows) {
    SCOPED_TRACE(row.language);
    EXPECT_THAT(InitialCheckedButtons(row.language), ElementsAre(row.checkedLanguageButton, 1008));
  }
}

TEST(ClassifyDialogCommand, OnlyCancelNextAndOptionsAct) {
  EXPECT_EQ(DialogCommand::kCancel, ClassifyDialogCommand(2));
  EXPECT_EQ(DialogCommand::kProceed, ClassifyDialogCommand(140));
  EXPECT_EQ(DialogCommand::kSwitchView, ClassifyDialogCommand(1015));
  for (int id : {0, 1, 141, 1006, 1007, 1008, 1010, 1011, 1014, 1016, 0x10002}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(DialogCommand::kIgnore, ClassifyDialogCommand(id));
  }
}

class SwitchOptionsViewTest : public ::testing::Test {
 protected:
  void SetUp() override { resources.SetStrings({{142, u"Скрыть"}, {143, u"Опции"}}); }

  static std::vector<int> Shown(const ViewSwitch& view) {
    std::vector<int> ids;
    for (const ControlVisibility& control : view.controls) {
      if (control.visible) ids.push_back(control.id);
    }
    return ids;
  }
  static std::vector<int> Ids(const ViewSwitch& view) {
    std::vector<int> ids;
    for (const ControlVisibility& control : view.controls) ids.push_back(control.id);
    return ids;
  }

  FakeResources resources;
};

TEST_F(SwitchOptionsViewTest, OptionsCaptionOpensTheOptionGroups) {
  const ViewSwitch view = SwitchOptionsView(resources, u"Опции");
  EXPECT_THAT(Ids(view), ElementsAre(1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014));
  EXPECT_THAT(Shown(view), ElementsAre(1006, 1007, 1008, 1009, 1010, 1012, 1013));
  EXPECT_EQ(u"Скрыть", view.caption);
}

TEST_F(SwitchOptionsViewTest, HideCaptionReturnsToTheInformation) {
  const ViewSwitch view = SwitchOptionsView(resources, u"Скрыть");
  EXPECT_THAT(Ids(view), ElementsAre(1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014));
  EXPECT_THAT(Shown(view), ElementsAre(1011, 1014));
  EXPECT_EQ(u"Опции", view.caption);
}

TEST_F(SwitchOptionsViewTest, PressingTwiceComesBackToTheInformationView) {
  const ViewSwitch first = SwitchOptionsView(resources, u"Опции");
  const ViewSwitch second = SwitchOptionsView(resources, first.caption);
  EXPECT_THAT(Shown(second), ElementsAre(1011, 1014));
  EXPECT_EQ(u"Опции", second.caption);
  const ViewSwitch third = SwitchOptionsView(resources, second.caption);
  EXPECT_THAT(Shown(third), ElementsAre(1006, 1007, 1008, 1009, 1010, 1012, 1013));
  EXPECT_EQ(u"Скрыть", third.caption);
}

TEST_F(SwitchOptionsViewTest, OnlyAnExactlyEqualCaptionCountsAsTheInformationView) {
  for (const std::u16string caption :
       {u"опции", u"ОПЦИИ", u"Опции ", u" Опции", u"Опци", u"", u"Options"}) {
    SCOPED_TRACE(std::string(caption.begin(), caption.end()));
    const ViewSwitch view = SwitchOptionsView(resources, caption);
    EXPECT_THAT(Shown(view), ElementsAre(1011, 1014));
    EXPECT_EQ(u"Опции", view.caption);
  }
}

TEST_F(SwitchOptionsViewTest, OnlyTheFirstNineCodeUnitsOfTheCaptionCount) {
  // Nine code units: a longer caption reads as its first nine.
  resources.SetStrings({{142, u"Скрыть"}, {143, u"Настройки"}});
  EXPECT_EQ(u"Скрыть", SwitchOptionsView(resources, u"Настройки!").caption);
  EXPECT_EQ(u"Скрыть", SwitchOptionsView(resources, u"Настройки").caption);
  // Ten code units: the nine read never equal it.
  resources.SetStrings({{142, u"Скрыть"}, {143, u"Настройки!"}});
  const ViewSwitch view = SwitchOptionsView(resources, u"Настройки!");
  EXPECT_THAT(Shown(view), ElementsAre(1011, 1014));
  EXPECT_EQ(u"Настройки!", view.caption);
}

struct ChoiceRow {
  std::set<int> checked;
  std::u16string kcBefore;
  std::u16string langBefore;
  std::u16string kcAfter;
  std::u16string langAfter;
};

TEST(AppendDialogChoice, AppendsTheFragmentOfEachCheckedButton) {
  const ChoiceRow rows[] = {
      {{1008, 1006}, u"", u"", u"kc1*", u"rus*"},
      {{1009, 1007}, u"", u"", u"kc2*", u"eng*"},
      {{1010, 1007}, u"", u"", u"kc3*", u"eng*"},
      {{1010, 1006}, u"", u"", u"kc3*", u"rus*"},
      // after values from the command line
      {{1009, 1006}, u"*kc1*", u"*eng*", u"*kc1*kc2*", u"*eng*rus*"},
      {{1010, 1007}, u"*kc2**kc3*", u"*rus*", u"*kc2**kc3*kc3*", u"*rus*eng*"},
      // more than one checked: level fragments first, each group in id order
      {{1007, 1010, 1006, 1008}, u"", u"", u"kc1*kc3*", u"rus*eng*"},
      {{}, u"*kc1*", u"*rus*", u"*kc1*", u"*rus*"},
      {{1011, 1014, 140}, u"", u"", u"", u""},
  };
  for (const ChoiceRow& row : rows) {
    SetupOptions options;
    options.kcPattern = row.kcBefore;
    options.langPattern = row.langBefore;
    options.cspArgs = u"A=1 ";
    AppendDialogChoice([&](int id) { return row.checked.count(id) != 0; }, options);
    EXPECT_EQ(row.kcAfter, options.kcPattern);
    EXPECT_EQ(row.langAfter, options.langPattern);
    EXPECT_EQ(u"A=1 ", options.cspArgs);
    EXPECT_EQ(u"", options.ucspArgs);
    EXPECT_EQ(u"", options.pluginArgs);
  }
}

TEST(AppendDialogChoice, TestsTheButtonsInLevelThenLanguageOrder) {
  std::vector<int> asked;
  SetupOptions options;
  AppendDialogChoice(
      [&](int id) {
        asked.push_back(id);
        return false;
      },
      options);
  EXPECT_THAT(asked, ElementsAre(1008, 1009, 1010, 1006, 1007));
}

TEST(ConfigDialogChoice, CarriesEachRadioButtonAloneToItsFragment) {
  struct Row {
    int button;
    const char16_t* kc;
    const char16_t* lang;
  };
  const Row rows[] = {{1006, u"", u"rus*"},
                      {1007, u"", u"eng*"},
                      {1008, u"kc1*", u""},
                      {1009, u"kc2*", u""},
                      {1010, u"kc3*", u""}};
  for (const Row& row : rows) {
    ConfigDialogChoice choice;
    choice.Check(row.button);
    for (int other : kChoiceButtons) {
      EXPECT_EQ(other == row.button, choice.IsChecked(other)) << row.button << " " << other;
    }
    SetupOptions options;
    AppendDialogChoice([&](int id) { return choice.IsChecked(id); }, options);
    EXPECT_EQ(row.kc, options.kcPattern) << row.button;
    EXPECT_EQ(row.lang, options.langPattern) << row.button;
  }
  EXPECT_FALSE(ConfigDialogChoice().proceed);
  for (int button : kChoiceButtons) EXPECT_FALSE(ConfigDialogChoice().IsChecked(button));
}

TEST(ConfigDialogChoice, NextAtOnceOnARussianSystemChoosesKc1AndRussian) {
  const std::array<int, 2> initial = InitialCheckedButtons(0x0419);
  SetupOptions options;
  AppendDialogChoice(
      [&](int id) { return std::find(initial.begin(), initial.end(), id) != initial.end(); },
      options);
  EXPECT_EQ(u"kc1*", options.kcPattern);
  EXPECT_EQ(u"rus*", options.langPattern);
}

TEST(ConfigDialogChoice, NextAtOnceOnAMoldovanRussianSystemChoosesEnglish) {
  const std::array<int, 2> initial = InitialCheckedButtons(0x0819);
  SetupOptions options;
  options.langPattern = u"*rus*";
  AppendDialogChoice(
      [&](int id) { return std::find(initial.begin(), initial.end(), id) != initial.end(); },
      options);
  EXPECT_EQ(u"kc1*", options.kcPattern);
  EXPECT_EQ(u"*rus*eng*", options.langPattern);
}

}  // namespace
