#include "ui/progress_window_layout.h"

#include "ui/string_ids.h"

FrameOrigin ProgressFrameOrigin(int screenWidth, int screenHeight) {
  return {screenWidth / 2 - kProgressFrameWidth / 2, screenHeight / 2 - kProgressFrameHeight / 2};
}

std::uint16_t ProgressTitleId(bool installCsp) {
  return installCsp ? kStrProgressCsp : kStrProgressPlugin;
}
