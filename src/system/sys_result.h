#pragma once

#include <cstdint>

// What a system call answered, with the thread's last error read right after it: the error
// travels with the answer, so nothing that runs in between (a log line, another call) can
// change it. `error` tells something only where `value` tells a failure.
template <typename Value>
struct SysResult {
  Value value;
  std::uint32_t error;
};
