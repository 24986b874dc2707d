#pragma once

#include <set>
#include <string>

#include "check/check_inputs.h"
#include "check/check_report.h"
#include "check/launcher_paths.h"
#include "check/package_table.h"

// Registry and ACL files of the ZAZ CSP's imports: present, and the registry file in a form
// regedit reads (Unicode with a byte-order mark, or ANSI with the "REGEDIT4" header).
void CheckImportFiles(const ImportFiles& files, FileReader& reader, ReportSection& section);

// Whether regedit reads `bytes` as a registry file; empty when it does, else why not.
std::u16string RegistryFileProblem(const std::string& bytes);

// Every certificate file the launcher opens, each certificate with its subject, thumbprint and
// validity: errors for files it would skip, warnings for expired, not yet valid or non-CA ones.
void CheckCertificates(const RealSystem& real, CertificateReader& reader,
                       const std::u16string& folder, ReportSection& section);

// Package files one level down, each with the Page Count and the Windows Installer version it
// names (their summary as `packages` holds it), where it disagrees with where they should install:
// a name that promises another platform than the Template names ("win32" or "x86" for Intel, "x64"
// or "amd64" for x64; the launcher picks packages by name), a 64-bit package with a Page Count
// below its platform's minimum (errors), a Windows Installer version that a supported Windows does
// not have (a warning naming those that refuse it with 1613).
void CheckPackageSummaries(const RealSystem& real, const PackageTable& packages,
                           const std::u16string& folder, ReportSection& section);

// Package files (*.msi) the lookup never reaches: at the top level, in a directory whose name
// begins with a full stop, two levels down, or one level down but found by no path (`reached`
// holds the full paths that some path installs or reads; `matched` those that match a pattern
// some path looked up, which another listing order may reach).
void CheckUnreachablePackages(FileApi& files, const std::u16string& folder,
                              const std::set<std::u16string>& reached,
                              const std::set<std::u16string>& matched, ReportSection& section);
