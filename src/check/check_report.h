#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "check/findings.h"

// What the distribution check found, as the text report and the JSON show it.

struct Finding {
  FindingId id;
  std::u16string text;
  Severity severity() const { return KindOf(id).severity; }
};

// One path of the launcher (or one file around the packages) and where it leads.
struct ReportLine {
  std::u16string path;     // what the launcher does, e.g. "fresh installation, -KC kc2 -Lang rus"
  std::u16string file;     // relative to the distribution folder; empty when nothing was found
  std::u16string outcome;  // shown instead of a file, e.g. "nothing found: 232"
  std::vector<std::pair<std::u16string, std::u16string>> facts;  // name, value
  std::vector<Finding> findings;
};

// Adds the finding `id` with `text` to `line`.
void Add(ReportLine& line, FindingId id, std::u16string text);

struct ReportSection {
  std::u16string title;  // e.g. "Plug-in, 64-bit Windows"
  std::vector<ReportLine> lines;
};

// A package that some path installs, and the Windows Installer it needs.
struct PackageNeed {
  std::u16string file;  // relative to the distribution folder
  std::int32_t pageCount = 0;
  bool operator==(const PackageNeed& other) const {
    return file == other.file && pageCount == other.pageCount;
  }
};

// What a deployment system's detection and requirement rules need of one product the
// distribution installs.
struct DetectionFacts {
  std::u16string product;  // "plug-in", "CSP", "ZAZ CSP"
  std::u16string productCode;
  // Per platform ("32-bit Windows"), the versions a machine has after a successful run: those
  // of the packages the paths install, each once; empty when no path installs the product.
  std::vector<std::pair<std::u16string, std::vector<std::u16string>>> versions;
  bool sameOnEveryPlatform = false;   // one version, the same on every platform
  std::vector<PackageNeed> packages;  // each package the paths install, once, in report order
};

struct CheckReport {
  std::u16string folder;
  std::vector<ReportSection> sections;
  std::vector<DetectionFacts> detection;
};

constexpr int kCheckClean = 0;
constexpr int kCheckWarnings = 1;
constexpr int kCheckErrors = 2;
constexpr int kCheckBadUsage = 3;

int CountFindings(const CheckReport& report, Severity severity);
// 0 clean, 1 warnings only, 2 errors.
int CheckExitCode(const CheckReport& report);

// The readable report: one section per product and platform, one line per path, the findings
// below their line, then the detection facts, the counts at the end. UTF-8, lines ending in "\r\n".
std::string RenderText(const CheckReport& report);
// The same as one JSON object.
std::string RenderJson(const CheckReport& report);
