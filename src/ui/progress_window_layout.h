#pragma once

#include <cstdint>

// The progress window's fixed geometry and styles (pixels).
constexpr int kProgressFrameWidth = 300;
constexpr int kProgressFrameHeight = 58;
constexpr int kProgressBarWidth = 296;
constexpr int kProgressBarHeight = 33;
constexpr std::uint32_t kProgressBarStyle = 0x50000008;  // WS_CHILD | WS_VISIBLE | PBS_MARQUEE
constexpr unsigned kProgressMarqueeIntervalMs = 120;

struct FrameOrigin {
  int left = 0;
  int top = 0;
};

// Top-left corner of the frame on a primary screen of the given size: the frame's centre
// sits on the screen's centre, halves truncated toward zero.
FrameOrigin ProgressFrameOrigin(int screenWidth, int screenHeight);
