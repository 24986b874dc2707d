#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the launcher reads of package files without an installer session (their tables and
// summary information, MsiOpenDatabaseW read-only) and where an installed product keeps its
// components (MsiGetComponentPathW). Texts are UTF-16; errors are Windows Installer codes.

constexpr int kInstallStateLocal = 3;               // INSTALLSTATE_LOCAL
constexpr unsigned kSummaryWordCount = 15;          // PID_WORDCOUNT
constexpr int kSourceTypeCompressed = 2;            // msidbSumInfoSourceTypeCompressed
constexpr std::uint32_t kFileNoncompressed = 8192;  // msidbFileAttributesNoncompressed
constexpr std::uint32_t kFileCompressed = 16384;    // msidbFileAttributesCompressed

class PackageTablesApi {
 public:
  // Opens `package` read-only, runs `query` and appends the fields 1..`fields` of every record
  // to `values`, record after record, as MsiRecordGetStringW gives them (an integer as its
  // decimal text, a null field as the empty text). 0, or the error of the first call that
  // failed; then nothing is appended.
  virtual std::uint32_t ReadRows(const char16_t* package, const char16_t* query, unsigned fields,
                                 std::vector<std::u16string>* values) = 0;
  // MsiGetSummaryInformationW on `package`, then the number `property` holds (VT_I4); a
  // property of another type fails with ERROR_INVALID_DATA (13).
  virtual std::uint32_t ReadSummaryNumber(const char16_t* package, unsigned property,
                                          int* value) = 0;
  // MsiGetComponentPathW(product, component): the state it answers, and the key path (a file,
  // a folder ending in a backslash, or a registry key as "02:\..."), empty unless it gave one.
  virtual int ReadComponentPath(const char16_t* product, const char16_t* component,
                                std::u16string* path) = 0;

 protected:
  // Never deleted through this interface: the program owns the object that implements it.
  ~PackageTablesApi() = default;
};
