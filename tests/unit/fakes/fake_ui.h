#pragma once

#include <deque>
#include <string>
#include <vector>

#include "actions/setup_options.h"
#include "fakes/fake_kernel.h"
#include "system/ui_api.h"
#include "ui/config_dialog_choice.h"

// Message boxes answered from a script (IDOK for OK boxes, IDYES for Yes/No boxes when the
// script is empty), the dialog answered as scripted, the progress thread's life recorded.
class FakeUi : public UiApi {
 public:
  struct Box {
    std::u16string text;
    std::u16string caption;
    std::uint32_t style = 0;
  };

  explicit FakeUi(FakeKernel& kernel) : kernel_(kernel) {}

  std::deque<int> answers;
  bool canSee = true;  // false: as on a window station that nobody sees
  bool dialogProceeds = true;
  std::vector<int> dialogChecked = {kCtlKc1, kCtlRussian};  // the buttons checked at "Далее"

  std::vector<Box> boxes;
  int dialogShown = 0;
  int progressCreated = 0;
  int progressResumed = 0;
  int progressEnded = 0;
  std::uint16_t progressTitle = 0;

  bool SomebodyCanSee() override { return canSee; }
  int ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                     std::uint32_t style) override {
    boxes.push_back({text, caption, style});
    kernel_.Log("MessageBox " + Utf8(text));
    int answer = (style & 0xF) == kMbYesNo ? kIdYes : kIdOk;
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    }
    return answer;
  }
  ConfigDialogChoice ShowConfigDialog() override {
    ++dialogShown;
    kernel_.Log("Dialog 141");
    ConfigDialogChoice choice;
    choice.proceed = dialogProceeds;
    if (dialogProceeds) {
      for (int id : dialogChecked) choice.Check(id);
    }
    return choice;
  }
  void CreateProgressThread(std::uint16_t titleId) override {
    ++progressCreated;
    progressTitle = titleId;
    kernel_.Log("Progress create");
  }
  void ResumeProgressThread() override {
    ++progressResumed;
    kernel_.Log("Progress resume");
  }
  void EndProgressThread() override {
    ++progressEnded;
    kernel_.Log("Progress end");
  }

 private:
  FakeKernel& kernel_;
};
