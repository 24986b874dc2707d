// The checker's package reader: properties and summary information of package files opened as
// read-only databases, never through the machine's installer.
#include "win32/check/read_only_packages.h"

#include <msidefs.h>

#include <string>

#include "win32/msi_handle.h"
#include "win32/system_libraries.h"
#include "win32/wide_text.h"

namespace {

// Property names are the checker's own constants: letters only, safe inside the quotes.
bool IsPlainName(const std::u16string& name) {
  for (const char16_t c : name) {
    if (!((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))) return false;
  }
  return !name.empty();
}

}  // namespace

std::uint32_t ReadOnlyPackages::OpenPackageEx(const char16_t* path, std::uint32_t,
                                              MsiHandle* handle) {
  MSIHANDLE database = 0;
  const LPCWSTR readOnly = nullptr;  // MSIDBOPEN_READONLY, spelled for the wide call
  const UINT result = msi_.openDatabase(Wide(path), readOnly, &database);
  *handle = static_cast<MsiHandle>(result == ERROR_SUCCESS ? database : 0);
  return result;
}

std::uint32_t ReadOnlyPackages::GetProperty(MsiHandle handle, const char16_t* name,
                                            char16_t* buffer, std::uint32_t* size) {
  if (!IsPlainName(name)) return ERROR_INVALID_PARAMETER;
  const std::u16string query =
      u"SELECT `Value` FROM `Property` WHERE `Property` = '" + std::u16string(name) + u"'";
  OwnedMsiHandle view(msi_.closeHandle);
  UINT result = msi_.openView(static_cast<MSIHANDLE>(handle), Wide(query), view.Receive());
  if (result != ERROR_SUCCESS) return result;
  result = msi_.execute(view.Get(), 0);
  if (result != ERROR_SUCCESS) return result;
  OwnedMsiHandle record(msi_.closeHandle);
  result = msi_.fetch(view.Get(), record.Receive());
  if (result == ERROR_NO_MORE_ITEMS) {
    if (*size > 0) buffer[0] = u'\0';
    *size = 0;
    return ERROR_SUCCESS;
  }
  if (result != ERROR_SUCCESS) return result;
  DWORD room = *size;
  result = msi_.recordString(record.Get(), 1, Wide(buffer), &room);
  *size = room;
  return result;
}

std::uint32_t ReadOnlyPackages::CloseMsiHandle(MsiHandle handle) {
  return msi_.closeHandle(static_cast<MSIHANDLE>(handle));
}

std::uint32_t ReadOnlyPackages::ReadSummary(const std::u16string& path, PackageSummary& summary) {
  OwnedMsiHandle information(msi_.closeHandle);
  UINT result = msi_.summaryInformation(0, Wide(path.c_str()), 0, information.Receive());
  if (result != ERROR_SUCCESS) return result;
  wchar_t text[256] = {};
  DWORD length = 256;
  UINT type = 0;
  INT number = 0;
  FILETIME time{};
  result =
      msi_.summaryProperty(information.Get(), PID_TEMPLATE, &type, &number, &time, text, &length);
  if (result != ERROR_SUCCESS) return result;
  if (type != VT_LPSTR) return ERROR_INVALID_DATA;
  summary.templateValue = Utf16String(text);
  // A number: no text buffer is needed.
  result = msi_.summaryProperty(information.Get(), PID_PAGECOUNT, &type, &number, &time, nullptr,
                                nullptr);
  if (result != ERROR_SUCCESS) return result;
  summary.pageCount = type == VT_I4 ? number : 0;
  return ERROR_SUCCESS;
}
