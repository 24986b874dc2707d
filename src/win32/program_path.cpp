// The path of the running executable, read with a buffer that grows until the path fits.
#include "win32/program_path.h"

#include <windows.h>

#include "win32/wide_text.h"

namespace {

// Longest path the system hands out (in UTF-16 code units, with the terminating zero).
constexpr DWORD kLongestPath = 32768;

}  // namespace

// A path longer than the buffer comes back cut short with the buffer's length: unterminated
// and with no error on XP, with ERROR_INSUFFICIENT_BUFFER later. So only a length below the
// buffer's is the whole path; the buffer doubles until it holds the longest path there is.
SysResult<bool> ReadProgramPath(std::u16string* path) {
  for (DWORD room = MAX_PATH;; room *= 2) {
    path->resize(room);
    const DWORD length = GetModuleFileNameW(nullptr, Wide(&(*path)[0]), room);
    const DWORD error = GetLastError();
    if (length == 0) {
      path->clear();
      return {false, error};
    }
    if (length < room) {
      path->resize(length);
      return {true, 0};
    }
    if (room >= kLongestPath) break;
  }
  path->clear();
  return {false, ERROR_INSUFFICIENT_BUFFER};
}
