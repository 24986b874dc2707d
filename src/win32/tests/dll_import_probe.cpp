// Linked against the shared C++ runtime on purpose: check-exe must refuse this program.
#include <stdexcept>
#include <string>

int main(int argc, char**) {
  std::string text(static_cast<std::size_t>(argc), 'x');
  try {
    if (text.size() > 100) throw std::runtime_error(text);
  } catch (const std::exception&) {
    return 1;
  }
  return 0;
}
