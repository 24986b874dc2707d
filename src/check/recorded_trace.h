#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "system/install_trace.h"

// The actions' decisions in one simulated run, as one list in the order they were made, and the
// questions the check asks of it.
class RecordedTrace final : public InstallTrace {
 public:
  struct Lookup {
    std::u16string pattern;
    std::u16string path;  // empty: nothing found
  };
  struct Comparison {
    std::u16string package;
    std::u16string installed;
    std::u16string offered;
  };
  struct LevelCarry {
    std::u16string fragment;
  };
  struct LanguageCarry {
    std::u16string fragment;
  };
  struct Install {
    std::u16string package;
    std::u16string commandLine;
  };
  struct Import {
    ImportKind kind;
    std::u16string file;
  };
  struct Message {
    std::uint16_t textId;
  };
  using Event =
      std::variant<Lookup, Comparison, LevelCarry, LanguageCarry, Install, Import, Message>;

  // Every event of one kind, in order.
  template <typename Kind>
  std::vector<Kind> All() const {
    std::vector<Kind> found;
    for (const Event& event : events_) {
      if (const Kind* match = std::get_if<Kind>(&event)) found.push_back(*match);
    }
    return found;
  }
  // The last event of one kind; null when there is none.
  template <typename Kind>
  const Kind* Last() const {
    for (auto it = events_.rbegin(); it != events_.rend(); ++it) {
      if (const Kind* match = std::get_if<Kind>(&*it)) return match;
    }
    return nullptr;
  }

  std::vector<std::u16string> PackagesInstalled() const { return Each(&Install::package); }
  std::vector<std::uint16_t> Messages() const { return Each(&Message::textId); }
  // Empty where no such event was recorded.
  std::u16string LastComparedPackage() const { return OfLast(&Comparison::package); }
  std::u16string LastPattern() const { return OfLast(&Lookup::pattern); }
  std::u16string LastLevelCarried() const { return OfLast(&LevelCarry::fragment); }
  std::u16string LastLanguageCarried() const { return OfLast(&LanguageCarry::fragment); }
  // Each pattern looked up, once, in the order first looked up.
  std::vector<std::u16string> PatternsLookedUp() const {
    std::vector<std::u16string> patterns;
    for (const std::u16string& pattern : Each(&Lookup::pattern)) {
      if (std::find(patterns.begin(), patterns.end(), pattern) == patterns.end()) {
        patterns.push_back(pattern);
      }
    }
    return patterns;
  }

  void PackageLookedUp(const std::u16string& pattern, const std::u16string& path) override {
    events_.push_back(Lookup{pattern, path});
  }
  void VersionCompared(const std::u16string& package, const std::u16string& installed,
                       const std::u16string& offered) override {
    events_.push_back(Comparison{package, installed, offered});
  }
  void LevelCarried(const char16_t* fragment) override { events_.push_back(LevelCarry{fragment}); }
  void LanguageCarried(const char16_t* fragment) override {
    events_.push_back(LanguageCarry{fragment});
  }
  void PackageInstalled(const std::u16string& package, const std::u16string& commandLine) override {
    events_.push_back(Install{package, commandLine});
  }
  void ImportRun(ImportKind kind, const char16_t* file) override {
    events_.push_back(Import{kind, file});
  }
  void MessageChosen(std::uint16_t textId) override { events_.push_back(Message{textId}); }

 private:
  // `field` of every event of its kind, in order.
  template <typename Kind, typename Value>
  std::vector<Value> Each(Value Kind::*field) const {
    std::vector<Value> values;
    for (const Kind& event : All<Kind>()) values.push_back(event.*field);
    return values;
  }
  // `field` of the last event of its kind; empty when there is none.
  template <typename Kind>
  std::u16string OfLast(std::u16string Kind::*field) const {
    const Kind* last = Last<Kind>();
    return last != nullptr ? last->*field : std::u16string();
  }

  std::vector<Event> events_;
};
