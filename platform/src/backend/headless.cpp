// The headless display: a fixed-size screen that shows nothing. Surfaces
// stay with the window manager, so screenshots and pixel reads work exactly
// as with a real display; input only comes from the automation surface, and
// the clipboard is the process's own.
#include "backend/backend.h"

#include <cstdlib>

namespace vqwin::backend {
namespace {

// The screen size can be set with VQWIN_SCREEN=WIDTHxHEIGHT; the default is a
// common desktop size so that hosts lay out as they would on a real one.
SIZE ScreenFromEnvironment() {
  SIZE size{1920, 1080};
  if (const char *env = std::getenv("VQWIN_SCREEN")) {
    char *end = nullptr;
    long w = std::strtol(env, &end, 10);
    if (end && (*end == 'x' || *end == 'X')) {
      long h = std::strtol(end + 1, nullptr, 10);
      if (w >= 320 && w <= 16384 && h >= 200 && h <= 16384)
        size = SIZE{static_cast<LONG>(w), static_cast<LONG>(h)};
    }
  }
  return size;
}

class Headless final : public DisplayBackend {
public:
  const char *Name() const override { return "headless"; }
  SIZE ScreenSize() const override { return screen_; }
  void WindowPlaced(HWND, cairo_surface_t *, const RECT &) override {}
  void WindowShown(HWND, bool) override {}
  void WindowDestroyed(HWND) override {}
  void Present(HWND, const RECT &) override {}
  void Finish() override {}
  bool PollInput(bool) override { return false; }
  void SetClipboardText(const std::string &text) override {
    clipboard_ = text;
    hasText_ = true;
  }
  bool ClipboardText(std::string &text) override {
    if (hasText_)
      text = clipboard_;
    return hasText_;
  }

private:
  SIZE screen_ = ScreenFromEnvironment();
  std::string clipboard_;
  bool hasText_ = false;
};

} // namespace

namespace {
DisplayBackend *installed = nullptr;
bool decided = false;
} // namespace

DisplayBackend &Current() {
  static Headless headless;
  if (!decided) {
    decided = true;
    installed = Chosen();
  }
  return installed ? *installed : headless;
}

void Install(DisplayBackend *backend) {
  decided = true;
  installed = backend;
}

} // namespace vqwin::backend
