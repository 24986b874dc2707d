// What the launcher reads of package files without an installer session, and where an installed
// product keeps a component: the msi.dll calls behind PackageTablesApi.
#include "win32/launcher/msi_tables.h"

#include <windows.h>

#include <msi.h>
#include <msidefs.h>
#include <msiquery.h>

#include "win32/msi_handle.h"
#include "win32/system_libraries.h"
#include "win32/wide_text.h"

namespace {

// The first buffer for a field or a path, in characters with the terminating zero: most fit.
constexpr DWORD kFirstRoom = MAX_PATH;

// One field of a record as text. The buffer grows to the length the call asks for; a record
// does not change between the calls, so the second call fits.
UINT ReadField(const MsiFunctions& msi, MSIHANDLE record, unsigned field, std::u16string* text) {
  text->assign(kFirstRoom, u'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD length = static_cast<DWORD>(text->size());
    const UINT result = msi.recordString(record, field, Wide(&(*text)[0]), &length);
    if (result == ERROR_SUCCESS) {
      text->resize(length);
      return result;
    }
    if (result != ERROR_MORE_DATA) return result;
    text->assign(length + 1, u'\0');
  }
  return ERROR_MORE_DATA;
}

// The records of an executed view, their fields appended to `values` until the fetch answers
// ERROR_NO_MORE_ITEMS.
UINT FetchRows(const MsiFunctions& msi, MSIHANDLE view, unsigned fields,
               std::vector<std::u16string>* values) {
  for (;;) {
    OwnedMsiHandle record(msi.closeHandle);
    const UINT fetched = msi.fetch(view, record.Receive());
    if (fetched == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (fetched != ERROR_SUCCESS) return fetched;
    for (unsigned field = 1; field <= fields; ++field) {
      values->emplace_back();
      const UINT read = ReadField(msi, record.Get(), field, &values->back());
      if (read != ERROR_SUCCESS) return read;
    }
  }
}

}  // namespace

// MSIDBOPEN_READONLY is the value 0 for the wide call, not a text. Fields appended before a
// call failed are taken away again.
std::uint32_t MsiTables::ReadRows(const char16_t* package, const char16_t* query, unsigned fields,
                                  std::vector<std::u16string>* values) {
  const LPCWSTR readOnly = nullptr;
  OwnedMsiHandle database(msi_.closeHandle);
  UINT result = msi_.openDatabase(Wide(package), readOnly, database.Receive());
  if (result != ERROR_SUCCESS) return result;
  OwnedMsiHandle view(msi_.closeHandle);
  result = msi_.openView(database.Get(), Wide(query), view.Receive());
  if (result != ERROR_SUCCESS) return result;
  result = msi_.execute(view.Get(), 0);
  if (result != ERROR_SUCCESS) return result;
  const std::size_t before = values->size();
  result = FetchRows(msi_, view.Get(), fields, values);
  if (result != ERROR_SUCCESS) values->resize(before);
  return result;
}

// A number needs no text buffer.
std::uint32_t MsiTables::ReadSummaryNumber(const char16_t* package, unsigned property, int* value) {
  OwnedMsiHandle information(msi_.closeHandle);
  UINT result = msi_.summaryInformation(0, Wide(package), 0, information.Receive());
  if (result != ERROR_SUCCESS) return result;
  UINT type = VT_EMPTY;
  INT number = 0;
  FILETIME time = {};
  result =
      msi_.summaryProperty(information.Get(), property, &type, &number, &time, nullptr, nullptr);
  if (result != ERROR_SUCCESS) return result;
  if (type != VT_I4) return ERROR_INVALID_DATA;
  *value = number;
  return ERROR_SUCCESS;
}

// INSTALLSTATE_MOREDATA comes with the length the path needs; the buffer then grows once. The
// path is what the call wrote: nothing for the states that give none.
int MsiTables::ReadComponentPath(const char16_t* product, const char16_t* component,
                                 std::u16string* path) {
  std::u16string buffer(kFirstRoom, u'\0');
  INSTALLSTATE state = INSTALLSTATE_MOREDATA;
  for (int attempt = 0; attempt < 2 && state == INSTALLSTATE_MOREDATA; ++attempt) {
    DWORD length = static_cast<DWORD>(buffer.size());
    state = msi_.getComponentPath(Wide(product), Wide(component), Wide(&buffer[0]), &length);
    if (state == INSTALLSTATE_MOREDATA) buffer.assign(length + 1, u'\0');
  }
  path->assign(buffer.c_str());
  return state;
}
