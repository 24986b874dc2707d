#include "icon_match.h"

#include <cstdint>
#include <vector>

#include "owned_handles.h"
#include "window_probe.h"

namespace {

// A 32-bit top-down DIB section with its own memory DC.
class PixelCanvas {
 public:
  PixelCanvas(HDC screen, int width, int height)
      : width_(width),
        height_(height),
        dc_(CreateCompatibleDC(screen)),
        bitmap_(Create(screen)),
        select_(dc_.Get(), bitmap_.Get()) {}

  bool Valid() const {
    return dc_.Get() != nullptr && bitmap_.Get() != nullptr && bits_ != nullptr;
  }
  HDC Dc() const { return dc_.Get(); }
  std::uint32_t At(int x, int y) const { return bits_[y * width_ + x] & 0x00FFFFFFu; }
  void Fill(std::uint32_t color) {
    for (int i = 0; i < width_ * height_; ++i) bits_[i] = color;
  }

 private:
  HGDIOBJ Create(HDC screen) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<std::uint32_t*>(bits);
    return bitmap;
  }

  int width_;
  int height_;
  std::uint32_t* bits_ = nullptr;
  MemoryDc dc_;
  GdiObject bitmap_;
  SelectGuard select_;
};

struct Candidate {
  LPCWSTR resource;
  const wchar_t* name;
};

const Candidate kCandidates[] = {
    {IDI_ERROR, L"error"},
    {IDI_INFORMATION, L"information"},
    {IDI_WARNING, L"warning"},
    {IDI_QUESTION, L"question"},
};

// Pixels that differ between the screen capture and the icon drawn on the same background.
int CountDifferences(HDC screen, const PixelCanvas& captured, HICON icon, int width, int height) {
  PixelCanvas drawn(screen, width, height);
  if (!drawn.Valid()) return width * height;
  drawn.Fill(captured.At(0, 0));
  DrawIconEx(drawn.Dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  GdiFlush();
  int differences = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (drawn.At(x, y) != captured.At(x, y)) ++differences;
    }
  }
  return differences;
}

std::wstring MatchOnce(HWND iconControl) {
  RECT rect = {};
  if (!GetWindowRect(iconControl, &rect)) return L"unknown";
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return L"unknown";

  const WindowDc screen = DcOf(nullptr);
  PixelCanvas captured(screen.Get(), width, height);
  if (!captured.Valid()) return L"unknown";
  if (!BitBlt(captured.Dc(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY)) {
    return L"unknown";
  }
  GdiFlush();

  // An exact match is expected; a few pixels of slack cover an overlapping cursor.
  const int allowed = width * height / 50;
  const wchar_t* best = L"unknown";
  int bestDifferences = allowed + 1;
  for (const Candidate& candidate : kCandidates) {
    HICON icon = LoadIconW(nullptr, candidate.resource);
    if (icon == nullptr) continue;
    const int differences = CountDifferences(screen.Get(), captured, icon, width, height);
    if (differences < bestDifferences) {
      bestDifferences = differences;
      best = candidate.name;
    }
  }
  return best;
}

}  // namespace

std::wstring IdentifyIcon(HWND iconControl) {
  DWORD_PTR icon = 0;
  if (!SendBounded(iconControl, STM_GETICON, 0, 0, &icon)) return L"unknown";
  if (icon == 0) return L"none";
  // The box may not have been painted yet: look again for up to a second.
  std::wstring name;
  for (int attempt = 0; attempt < 20; ++attempt) {
    name = MatchOnce(iconControl);
    if (name != L"unknown") return name;
    Sleep(50);
  }
  return name;
}
