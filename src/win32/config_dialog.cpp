#include "win32/ui_windows.h"

// The dialog is not built yet: it stays unshown and the choice is left as the options hold it.
bool ShowConfigDialog141(HINSTANCE, ResourceApi&, SetupOptions&) {
  return true;
}
