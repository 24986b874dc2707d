// The processes that hold files, as the Restart Manager lists them.
#include "win32/launcher/restart_manager.h"

#include <memory>

#include "win32/find_export.h"
#include "win32/system_libraries.h"
#include "win32/wide_text.h"

// The layout RmGetList fills on 32-bit Windows.
static_assert(sizeof(RM_PROCESS_INFO) == 668, "RM_PROCESS_INFO as Windows lays it out");

namespace {

// RmGetList's first guess of the number of processes, and how often it is asked again for more.
constexpr UINT kFirstGuess = 8;
constexpr int kListAttempts = 4;

}  // namespace

bool RestartManager::Load() {
  if (tried_) return loadError_ == 0;
  tried_ = true;
  module_.Reset(LoadSystemLibrary(L"rstrtmgr.dll", search_));
  if (!module_) {
    loadError_ = LoadError();
  } else if (!FindExport(module_.Get(), "RmStartSession", &start_) ||
             !FindExport(module_.Get(), "RmRegisterResources", &register_) ||
             !FindExport(module_.Get(), "RmGetList", &getList_) ||
             !FindExport(module_.Get(), "RmEndSession", &end_)) {
    loadError_ = ERROR_PROC_NOT_FOUND;
  }
  return loadError_ == 0;
}

SysResult<bool> RestartManager::List(const std::vector<std::u16string>& files,
                                     std::vector<FileHolder>* holders) {
  holders->clear();
  if (!Load()) return {false, loadError_};
  DWORD session = 0;
  WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
  DWORD error = start_(&session, 0, key);
  if (error != ERROR_SUCCESS) return {false, error};
  const std::unique_ptr<LPCWSTR[]> names(new LPCWSTR[files.size()]);
  for (std::size_t i = 0; i < files.size(); ++i) names[i] = Wide(files[i]);
  error = register_(session, static_cast<UINT>(files.size()), names.get(), 0, nullptr, 0, nullptr);
  std::unique_ptr<RM_PROCESS_INFO[]> found;
  UINT count = kFirstGuess;
  for (int attempt = 0; error == ERROR_SUCCESS && attempt < kListAttempts; ++attempt) {
    found.reset(new RM_PROCESS_INFO[count]);
    UINT needed = 0;
    DWORD reasons = 0;
    error = getList_(session, &needed, &count, found.get(), &reasons);
    if (error != ERROR_MORE_DATA) break;
    count = needed;  // the list may grow again before the next call: asked again then
  }
  end_(session);
  if (error != ERROR_SUCCESS) return {false, error};
  std::vector<FileHolder> listed(count);
  for (UINT i = 0; i < count; ++i) {
    const RM_PROCESS_INFO& process = found[i];
    FileHolder& holder = listed[i];
    // The name ends with its zero, or with the array where the process filled all of it.
    const char16_t* name = Utf16(process.strAppName);
    const char16_t* end = std::char_traits<char16_t>::find(name, CCH_RM_MAX_APP_NAME + 1, u'\0');
    holder.appName.assign(name, end ? end - name : CCH_RM_MAX_APP_NAME + 1);
    holder.processId = process.Process.dwProcessId;
    holder.sessionId = process.TSSessionId;
    holder.appType = static_cast<std::uint32_t>(process.ApplicationType);
  }
  holders->swap(listed);
  return {true, 0};
}
