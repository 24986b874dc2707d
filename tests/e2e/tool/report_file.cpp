#include "report_file.h"

#include "json_writer.h"
#include "owned_handles.h"

bool ReportFile::Write(bool finished) const {
  JsonWriter json;
  json.BeginObject();
  json.Key("finished");
  json.Bool(finished);
  json.Key("started");
  json.Bool(started_);
  json.Key("startError");
  json.Number(startError_);
  json.Key("timeout");
  json.Bool(timeout_);
  json.Key("exitCode");
  if (hasExitCode_) {
    json.Number(exitCode_);
  } else {
    json.Null();
  }
  json.Key("windowsVersion");
  if (hasVersion_) {
    json.BeginArray();
    for (DWORD part : version_) json.Number(part);
    json.EndArray();
  } else {
    json.Null();
  }
  json.Key("driverError");
  json.String(driverError_);
  json.Key("events");
  json.BeginArray();
  json.EndArray();
  json.EndObject();

  // Splice the events into the empty array: each is already a complete JSON object.
  std::string text = json.Text();
  std::string events;
  for (size_t i = 0; i < events_.size(); ++i) {
    if (i > 0) events += ",\n  ";
    events += events_[i];
  }
  const size_t arrayEnd = text.rfind(']');
  text.insert(arrayEnd, events.empty() ? events : "\n  " + events + "\n");
  text += '\n';

  const std::wstring temporary = path_ + L".tmp";
  {
    OwnedHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    DWORD written = 0;
    if (!WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
      return false;
    }
  }
  return MoveFileExW(temporary.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}
