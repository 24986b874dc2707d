#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "system/holders_api.h"

// The Restart Manager, the user sessions and the launcher's key of a fake machine. Its clock
// runs with the platform's waits: every Wait moves it on.
class FakeHolders : public HoldersApi {
 public:
  static constexpr std::uint32_t kStart = 1'765'000'000;  // seconds since 1970: late 2025

  explicit FakeHolders(const FakePlatform& platform) : platform_(platform) {}

  bool restartManager = true;
  // What each query answers, in turn; the last one again for every further query.
  std::vector<std::vector<FileHolder>> queries;
  std::uint32_t listError = 0;   // fails every query with it
  std::size_t failingQuery = 0;  // fails only this query (from 1) with ERROR_OUTOFMEMORY
  std::vector<std::vector<std::u16string>> registered;  // the files of each query
  std::map<std::uint32_t, SessionState> states;         // active unless given
  bool canSend = true;
  std::vector<SessionQuestion> sent;
  // Per session: its answer and the seconds after the question at which it comes.
  std::map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> answers;
  CalendarTime local{2026, 12, 8, 23, 50, 30};
  std::optional<std::u16string> value;  // the postponement value
  std::uint32_t readError = 0;          // fails reading it with this error
  std::uint32_t writeError = 0;         // fails writing it with this error
  int deletes = 0;

  bool HasRestartManager() override { return restartManager; }
  SysResult<bool> ListHolders(const std::vector<std::u16string>& files,
                              std::vector<FileHolder>* holders) override {
    registered.push_back(files);
    holders->clear();
    if (listError != 0) return {false, listError};
    if (registered.size() == failingQuery) return {false, 14};
    if (!queries.empty()) *holders = queries[std::min(registered.size(), queries.size()) - 1];
    return {true, 0};
  }
  SessionState ReadSessionState(std::uint32_t id) override {
    auto it = states.find(id);
    return it == states.end() ? SessionState::kActive : it->second;
  }
  bool SendQuestions(const std::vector<SessionQuestion>& questions) override {
    if (!canSend) return false;
    sent = questions;
    sentAt_ = NowSeconds();
    return true;
  }
  std::vector<std::uint32_t> ReadAnswers() override {
    std::vector<std::uint32_t> out;
    for (const SessionQuestion& question : sent) {
      auto it = answers.find(question.sessionId);
      const bool due = it != answers.end() && NowSeconds() >= sentAt_ + it->second.second;
      out.push_back(due ? it->second.first : kAnswerPending);
    }
    return out;
  }
  std::uint32_t NowSeconds() override {
    std::uint32_t ms = 0;
    for (std::uint32_t wait : platform_.waits) ms += wait;
    return kStart + ms / 1000;
  }
  CalendarTime LocalNow() override { return local; }
  SysResult<bool> ReadPostponement(std::u16string* text) override {
    if (readError != 0) return {false, readError};
    if (!value) return {false, 2};
    *text = *value;
    return {true, 0};
  }
  SysResult<bool> WritePostponement(const std::u16string& text) override {
    if (writeError != 0) return {false, writeError};
    value = text;
    return {true, 0};
  }
  SysResult<bool> DeletePostponement() override {
    ++deletes;
    if (!value) return {false, 2};
    value.reset();
    return {true, 0};
  }

 private:
  const FakePlatform& platform_;
  std::uint32_t sentAt_ = 0;
};
