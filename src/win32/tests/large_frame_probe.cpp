// A function with 3 KiB of locals: compiled with the core's options, which leave out the stack
// probes that a frame larger than a page needs, it must be refused.
#include <cstring>

void FillLargeFrame(char* out, std::size_t size) {
  char buffer[3072];
  std::memset(buffer, 'x', sizeof buffer);
  std::memcpy(out, buffer, size < sizeof buffer ? size : sizeof buffer);
}
