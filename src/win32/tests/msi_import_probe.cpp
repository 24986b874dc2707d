// A program with msi.dll in its import table, as the launcher once had: check-exe must
// refuse it, since the loader would look for msi.dll next to the program first.
#include <windows.h>

#include <msi.h>

int main() {
  MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
  return 0;
}
