#include "ui/progress_window_layout.h"

FrameOrigin ProgressFrameOrigin(int screenWidth, int screenHeight) {
  return {screenWidth / 2 - kProgressFrameWidth / 2, screenHeight / 2 - kProgressFrameHeight / 2};
}
