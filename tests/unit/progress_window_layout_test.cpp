#include "ui/progress_window_layout.h"

#include <gtest/gtest.h>

namespace {

struct OriginRow {
  int width;
  int height;
  int left;
  int top;
};

TEST(ProgressFrameOrigin, CentresTheFrameWithTruncatedHalves) {
  const OriginRow rows[] = {
      {1920, 1080, 810, 511},  // common full-HD screen
      {1365, 768, 532, 355},   // odd width: 682 - 150
      {1280, 1024, 490, 483},  // the test display
      {301, 59, 0, 0},         // odd sizes that just fit
      {0, 0, -150, -29},       // metrics unavailable
      {-3, -3, -151, -30},     // halves truncate toward zero, not down
      {299, 57, -1, -1},       // one pixel short
  };
  for (const OriginRow& row : rows) {
    SCOPED_TRACE(std::to_string(row.width) + "x" + std::to_string(row.height));
    const FrameOrigin origin = ProgressFrameOrigin(row.width, row.height);
    EXPECT_EQ(row.left, origin.left);
    EXPECT_EQ(row.top, origin.top);
  }
}

}  // namespace
