#pragma once

#include <cstdint>
#include <string>

// What the actions decide, as typed events, written where the run log gets the same facts. The
// launcher keeps none of them; the distribution check runs the actions on a simulation that
// keeps them all, so that it reads the launcher's decisions by type instead of parsing its
// search patterns and command lines back.

// The two imports of a provider's settings.
enum class ImportKind {
  kRegistry,  // "regedit /s <file>"
  kAcl,       // "regini <file>"
};

class InstallTrace {
 public:
  // A package pattern looked up one level down for the file taken, and the full path found;
  // empty when none was. A look whether any file matches is no such lookup.
  virtual void PackageLookedUp(const std::u16string& /*pattern*/, const std::u16string& /*path*/) {}
  // The version check compared the installed version with `offered`, read from `package`.
  virtual void VersionCompared(const std::u16string& /*package*/,
                               const std::u16string& /*installed*/,
                               const std::u16string& /*offered*/) {}
  // The configuration carried over from an installed product: the level fragment (only for a
  // product that carries one), then the language fragment.
  virtual void LevelCarried(const char16_t* /*fragment*/) {}
  virtual void LanguageCarried(const char16_t* /*fragment*/) {}
  // msiexec is started on `package` with `commandLine`.
  virtual void PackageInstalled(const std::u16string& /*package*/,
                                const std::u16string& /*commandLine*/) {}
  // An import is started on `file`, named relative to the current directory.
  virtual void ImportRun(ImportKind /*kind*/, const char16_t* /*file*/) {}
  // A message box chosen: shown, or taken as answered where nobody can see it.
  virtual void MessageChosen(std::uint16_t /*textId*/) {}

 protected:
  // Never deleted through this interface: the trace that keeps nothing is a constant, built
  // without a guard and never destroyed.
  ~InstallTrace() = default;
};

class NoInstallTrace final : public InstallTrace {};
inline NoInstallTrace noInstallTrace;

// The one trace that keeps nothing: the launcher's, and any System's without one of its own.
inline InstallTrace& NoTrace() {
  return noInstallTrace;
}
