#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "system/install_trace.h"

// The actions' decisions in one simulated run, each kind in the order it was made.
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
  struct Install {
    std::u16string package;
    std::u16string commandLine;
  };
  struct Import {
    ImportKind kind;
    std::u16string file;
  };

  std::vector<Lookup> lookups;
  std::vector<Comparison> comparisons;
  std::vector<std::u16string> levelsCarried;
  std::vector<std::u16string> languagesCarried;
  std::vector<Install> installs;
  std::vector<Import> imports;
  std::vector<std::uint16_t> messages;

  void PackageLookedUp(const std::u16string& pattern, const std::u16string& path) override {
    lookups.push_back({pattern, path});
  }
  void VersionCompared(const std::u16string& package, const std::u16string& installed,
                       const std::u16string& offered) override {
    comparisons.push_back({package, installed, offered});
  }
  void LevelCarried(const char16_t* fragment) override { levelsCarried.push_back(fragment); }
  void LanguageCarried(const char16_t* fragment) override { languagesCarried.push_back(fragment); }
  void PackageInstalled(const std::u16string& package, const std::u16string& commandLine) override {
    installs.push_back({package, commandLine});
  }
  void ImportRun(ImportKind kind, const char16_t* file) override {
    imports.push_back({kind, file});
  }
  void MessageChosen(std::uint16_t textId) override { messages.push_back(textId); }
};
