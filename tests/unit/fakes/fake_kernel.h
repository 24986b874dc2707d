#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "system/handles.h"

// State shared by the fakes: the handle table, the thread's last error and one ordered log of
// what the system was asked to do, so tests can check order across interfaces.
class FakeKernel {
 public:
  // A new handle's number; becomes the handle type it is given to.
  struct NewHandle {
    std::uintptr_t value;
    template <typename Handle>
    operator Handle() const {  // NOLINT: converts to every kind on purpose
      return static_cast<Handle>(value);
    }
  };

  // Hands out a new handle of `kind` ("process", "thread", "search", "msi", "store", ...).
  NewHandle OpenHandle(const std::string& kind) {
    std::uintptr_t handle = nextHandle_++;
    handles_[handle] = Entry{kind, 0};
    return {handle};
  }
  // Closes `handle`; false (and ERROR_INVALID_HANDLE) when it is unknown or already closed.
  template <typename Handle>
  bool CloseHandle(Handle kindHandle) {
    const auto handle = static_cast<std::uintptr_t>(kindHandle);
    auto it = handles_.find(handle);
    if (it == handles_.end()) {
      lastError = 6;
      return false;
    }
    ++it->second.closes;
    if (it->second.closes > 1) {
      lastError = 6;
      return false;
    }
    return true;
  }
  template <typename Handle>
  bool IsOpen(Handle handle) const {
    auto it = handles_.find(static_cast<std::uintptr_t>(handle));
    return it != handles_.end() && it->second.closes == 0;
  }
  // Handles not closed, and handles closed more than once.
  std::vector<std::string> Unbalanced() const {
    std::vector<std::string> problems;
    for (const auto& [handle, entry] : handles_) {
      if (entry.closes != 1) {
        problems.push_back(entry.kind + " #" + std::to_string(handle) + " closed " +
                           std::to_string(entry.closes) + " times");
      }
    }
    return problems;
  }
  std::size_t HandedOut(const std::string& kind) const {
    std::size_t count = 0;
    for (const auto& [handle, entry] : handles_) count += entry.kind == kind ? 1 : 0;
    return count;
  }

  void Log(std::string event) { log.push_back(std::move(event)); }

  std::uint32_t lastError = 0;
  std::vector<std::string> log;

 private:
  struct Entry {
    std::string kind;
    int closes = 0;
  };
  std::uintptr_t nextHandle_ = 0x100;
  std::map<std::uintptr_t, Entry> handles_;
};

// UTF-16 to UTF-8 for log lines and test messages.
std::string Utf8(const std::u16string& text);
