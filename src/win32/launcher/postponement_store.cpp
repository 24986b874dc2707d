// The launcher's key and its postponement value: read, written, deleted with the key when it
// was the last thing in it.
#include "win32/launcher/postponement_store.h"

#include "system/holders_api.h"
#include "win32/handles.h"
#include "win32/launcher/windows_resume.h"
#include "win32/wide_text.h"

namespace {

// The most the value may hold, in bytes with its terminating zero.
constexpr DWORD kMaxBytes = 1024;

SysResult<bool> Status(LSTATUS status) {
  return {status == ERROR_SUCCESS, static_cast<std::uint32_t>(status)};
}

LSTATUS OpenLauncherKey(REGSAM access, RegistryKey* key) {
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(kLauncherKey), 0, access, key->Receive());
}

}  // namespace

PostponementStore::PostponementStore() : view_(ThirtyTwoBitView()) {}

// A value written without its terminating zero ends with its data.
SysResult<bool> PostponementStore::Read(std::u16string* text) {
  RegistryKey key;
  LSTATUS status = OpenLauncherKey(KEY_QUERY_VALUE | view_, &key);
  if (status != ERROR_SUCCESS) return Status(status);
  char16_t data[kMaxBytes / sizeof(char16_t)];
  DWORD type = 0;
  DWORD size = kMaxBytes;
  status = RegQueryValueExW(key.Get(), Wide(kPostponementValue), nullptr, &type,
                            reinterpret_cast<BYTE*>(data), &size);
  if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && type != REG_SZ)) {
    return {false, ERROR_INVALID_DATA};
  }
  if (status != ERROR_SUCCESS) return Status(status);
  std::size_t length = 0;
  while (length < size / sizeof(char16_t) && data[length] != u'\0') ++length;
  text->assign(data, length);
  return {true, 0};
}

// What Read could not take back is not written.
SysResult<bool> PostponementStore::Write(const std::u16string& text) {
  const DWORD size = static_cast<DWORD>((text.size() + 1) * sizeof(char16_t));
  if (size > kMaxBytes) return {false, ERROR_INVALID_DATA};
  RegistryKey key;
  const LSTATUS status =
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(kLauncherKey), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | view_, nullptr, key.Receive(), nullptr);
  if (status != ERROR_SUCCESS) return Status(status);
  return Status(RegSetValueExW(key.Get(), Wide(kPostponementValue), 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(text.c_str()), size));
}

// The key goes only when it holds neither another value nor a subkey.
SysResult<bool> PostponementStore::Delete() {
  RegistryKey key;
  LSTATUS status = OpenLauncherKey(KEY_QUERY_VALUE | KEY_SET_VALUE | view_, &key);
  if (status == ERROR_SUCCESS) status = RegDeleteValueW(key.Get(), Wide(kPostponementValue));
  if (status != ERROR_SUCCESS) return Status(status);
  DWORD subkeys = 1;
  DWORD values = 1;
  status = RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                            &values, nullptr, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS || subkeys != 0 || values != 0) return {true, 0};
  key.Reset();
  return Status(DeleteKeyInView(Wide(kLauncherKey), view_));
}
