#include "process_watch.h"

#include <tlhelp32.h>

#include <vector>

#include "json_writer.h"
#include "owned_handles.h"

void ProcessWatch::Report(DWORD pid, DWORD parent, const std::wstring& exe) {
  reported_.insert(pid);
  JsonWriter json;
  json.BeginObject();
  json.Key("type");
  json.String(std::string("process"));
  json.Key("t");
  json.Number(static_cast<long>(GetTickCount() - startTick_));
  json.Key("pid");
  json.Number(pid);
  json.Key("parent");
  json.Number(parent);
  json.Key("exe");
  json.String(exe);
  json.EndObject();
  report_.AddEvent(json.Text());
  report_.Write(false);
}

void ProcessWatch::Scan() {
  OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.Valid()) return;
  std::vector<PROCESSENTRY32W> entries;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    entries.push_back(entry);
  }

  // Parents may be listed after their children: repeat until nothing new joins the family.
  for (bool grown = true; grown;) {
    grown = false;
    for (const PROCESSENTRY32W& process : entries) {
      if (family_.count(process.th32ProcessID) == 0 &&
          family_.count(process.th32ParentProcessID) != 0) {
        family_.insert(process.th32ProcessID);
        grown = true;
      }
    }
  }

  std::set<DWORD> alive;
  for (const PROCESSENTRY32W& process : entries) {
    const DWORD pid = process.th32ProcessID;
    alive.insert(pid);
    if (pid == rootProcessId_ || family_.count(pid) == 0 || reported_.count(pid) != 0) continue;
    const std::wstring exe = process.szExeFile;
    if (exe.empty()) {
      pending_.insert({pid, process.th32ParentProcessID});
    } else {
      pending_.erase({pid, process.th32ParentProcessID});
      Report(pid, process.th32ParentProcessID, exe);
    }
  }
  for (auto it = pending_.begin(); it != pending_.end();) {
    if (alive.count(it->first) == 0 && reported_.count(it->first) == 0) {
      Report(it->first, it->second, std::wstring());
      it = pending_.erase(it);
    } else if (reported_.count(it->first) != 0) {
      it = pending_.erase(it);
    } else {
      ++it;
    }
  }
}
