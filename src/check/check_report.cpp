#include "check/check_report.h"

#include <utility>

#include "check/installer_version.h"
#include "common/number_text.h"
#include "log/utf8_text.h"

namespace {

constexpr char kNewline[] = "\r\n";

std::string JsonString(const std::u16string& text) {
  std::string out = "\"";
  for (const char ch : Utf8Text(text)) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      out += "\\u00";
      out += static_cast<char>(LowerHexDigit(c >> 4));
      out += static_cast<char>(LowerHexDigit(c));
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string Plural(int count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

// "3.0.0", "3.6.7000 or 3.6.6000", "none".
std::string VersionsText(const std::vector<std::u16string>& versions) {
  if (versions.empty()) return "none";
  std::string text;
  for (std::size_t i = 0; i < versions.size(); ++i) {
    text += (i > 0 ? " or " : "") + Utf8Text(versions[i]);
  }
  return text;
}

std::string DetectionText(const std::vector<DetectionFacts>& detection) {
  if (detection.empty()) return {};
  std::string out = std::string(kNewline) + "Detection" + kNewline;
  for (const DetectionFacts& facts : detection) {
    out += "  " + Utf8Text(facts.product) + " " + Utf8Text(facts.productCode) + ":";
    for (std::size_t i = 0; i < facts.versions.size(); ++i) {
      out += (i > 0 ? ", " : " ") + Utf8Text(facts.versions[i].first) + " " +
             VersionsText(facts.versions[i].second);
    }
    out += facts.sameOnEveryPlatform ? "; the same on every platform"
                                     : "; not the same on every platform";
    out += kNewline;
    for (const PackageNeed& package : facts.packages) {
      out += "    " + Utf8Text(package.file) + ": Windows Installer " +
             Utf8Text(InstallerVersionName(package.pageCount)) + " (Page Count " +
             std::to_string(package.pageCount) + ")" + kNewline;
    }
  }
  return out;
}

std::string DetectionJson(const std::vector<DetectionFacts>& detection) {
  std::string out = "[";
  for (std::size_t d = 0; d < detection.size(); ++d) {
    const DetectionFacts& facts = detection[d];
    out += std::string(d > 0 ? ", " : "") + "{\"product\": " + JsonString(facts.product) +
           ", \"productCode\": " + JsonString(facts.productCode) + ", \"versions\": {";
    for (std::size_t p = 0; p < facts.versions.size(); ++p) {
      out += std::string(p > 0 ? ", " : "") + JsonString(facts.versions[p].first) + ": [";
      const std::vector<std::u16string>& versions = facts.versions[p].second;
      for (std::size_t v = 0; v < versions.size(); ++v) {
        out += std::string(v > 0 ? ", " : "") + JsonString(versions[v]);
      }
      out += "]";
    }
    out += std::string("}, \"sameOnEveryPlatform\": ") +
           (facts.sameOnEveryPlatform ? "true" : "false") + ", \"packages\": [";
    for (std::size_t p = 0; p < facts.packages.size(); ++p) {
      const PackageNeed& package = facts.packages[p];
      out += std::string(p > 0 ? ", " : "") + "{\"file\": " + JsonString(package.file) +
             ", \"pageCount\": " + std::to_string(package.pageCount) +
             ", \"windowsInstaller\": " + JsonString(InstallerVersionName(package.pageCount)) + "}";
    }
    out += "]}";
  }
  return out + "]";
}

}  // namespace

void Add(ReportLine& line, FindingId id, std::u16string text) {
  line.findings.push_back({id, std::move(text)});
}

int CountFindings(const CheckReport& report, Severity severity) {
  int count = 0;
  for (const ReportSection& section : report.sections) {
    for (const ReportLine& line : section.lines) {
      for (const Finding& finding : line.findings) count += finding.severity() == severity ? 1 : 0;
    }
  }
  return count;
}

int CheckExitCode(const CheckReport& report) {
  if (CountFindings(report, Severity::kError) > 0) return kCheckErrors;
  if (CountFindings(report, Severity::kWarning) > 0) return kCheckWarnings;
  return kCheckClean;
}

std::string RenderText(const CheckReport& report) {
  std::string out = "Distribution " + Utf8Text(report.folder) + kNewline;
  for (const ReportSection& section : report.sections) {
    out += kNewline + Utf8Text(section.title) + kNewline;
    for (const ReportLine& line : section.lines) {
      out += "  " + Utf8Text(line.path) + " \xE2\x86\x92 " +
             Utf8Text(line.file.empty() ? line.outcome : line.file);
      if (!line.facts.empty()) {
        out += "  (";
        for (std::size_t i = 0; i < line.facts.size(); ++i) {
          if (i > 0) out += ", ";
          out += Utf8Text(line.facts[i].first) + " " + Utf8Text(line.facts[i].second);
        }
        out += ")";
      }
      out += kNewline;
      for (const Finding& finding : line.findings) {
        out += std::string("    ") + SeverityName(finding.severity()) + ": " +
               Utf8Text(finding.text) + kNewline;
      }
    }
  }
  out += DetectionText(report.detection);
  out += kNewline + Plural(CountFindings(report, Severity::kError), "error") + ", " +
         Plural(CountFindings(report, Severity::kWarning), "warning") + kNewline;
  return out;
}

std::string RenderJson(const CheckReport& report) {
  std::string out = "{\"folder\": " + JsonString(report.folder) + ", \"sections\": [";
  for (std::size_t s = 0; s < report.sections.size(); ++s) {
    const ReportSection& section = report.sections[s];
    out += std::string(s > 0 ? ", " : "") + "{\"title\": " + JsonString(section.title) +
           ", \"lines\": [";
    for (std::size_t l = 0; l < section.lines.size(); ++l) {
      const ReportLine& line = section.lines[l];
      out += std::string(l > 0 ? ", " : "") + "{\"path\": " + JsonString(line.path) +
             ", \"file\": " + (line.file.empty() ? "null" : JsonString(line.file)) +
             ", \"outcome\": " + JsonString(line.outcome) + ", \"facts\": {";
      for (std::size_t f = 0; f < line.facts.size(); ++f) {
        out += std::string(f > 0 ? ", " : "") + JsonString(line.facts[f].first) + ": " +
               JsonString(line.facts[f].second);
      }
      out += "}, \"findings\": [";
      for (std::size_t f = 0; f < line.findings.size(); ++f) {
        out += std::string(f > 0 ? ", " : "") + "{\"severity\": \"" +
               SeverityName(line.findings[f].severity()) + "\", \"id\": \"" +
               KindOf(line.findings[f].id).name +
               "\", \"text\": " + JsonString(line.findings[f].text) + "}";
      }
      out += "]}";
    }
    out += "]}";
  }
  out += "], \"detection\": " + DetectionJson(report.detection) +
         ", \"errors\": " + std::to_string(CountFindings(report, Severity::kError)) +
         ", \"warnings\": " + std::to_string(CountFindings(report, Severity::kWarning)) +
         ", \"exitCode\": " + std::to_string(CheckExitCode(report)) + "}" + kNewline;
  return out;
}
