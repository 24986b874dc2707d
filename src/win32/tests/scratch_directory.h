#pragma once

#include <windows.h>

#include <string>

#include "common/number_text.h"
#include "win32/handles.h"
#include "win32/wide_text.h"

// A fresh directory under the temporary directory, removed with everything in it at the end.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static unsigned serial = 0;
    path_ = Utf16String(temp) + u"zirel-layer-" + DecimalText(GetCurrentProcessId()) + u"-" +
            DecimalText(GetTickCount()) + u"-" + DecimalText(++serial);
    CreateDirectoryW(Wide(path_), nullptr);
  }
  ~ScratchDirectory() {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(Wide(path_ + u"\\*"), &data);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileW(Wide(path_ + u"\\" + Utf16String(data.cFileName)));
      } while (FindNextFileW(search, &data));
      FindClose(search);
    }
    RemoveDirectoryW(Wide(path_));
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::u16string& Path() const { return path_; }
  void Write(const std::u16string& name, const void* bytes, DWORD size) const {
    KernelHandle file(CreateFileW(Wide(path_ + u"\\" + name), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) WriteFile(file.Get(), bytes, size, &written, nullptr);
  }

 private:
  std::u16string path_;
};
