// Writes what an X display shows as a PNG: the whole root window, or the
// rectangle X,Y,W,H given after the file name. Tests of the X11 display
// use it to look at the screen as a person would.
#include <cairo.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: xshot FILE.png [X,Y,W,H]\n");
    return 2;
  }
  xcb_connection_t *c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "xshot: no X display\n");
    return 1;
  }
  xcb_screen_t *s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  int x = 0, y = 0, w = s->width_in_pixels, h = s->height_in_pixels;
  if (argc == 3 && std::sscanf(argv[2], "%d,%d,%d,%d", &x, &y, &w, &h) != 4) {
    std::fprintf(stderr, "xshot: the rectangle is X,Y,W,H\n");
    return 2;
  }
  xcb_get_image_reply_t *r =
      xcb_get_image_reply(c,
                          xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, s->root,
                                        static_cast<int16_t>(x), static_cast<int16_t>(y),
                                        static_cast<uint16_t>(w), static_cast<uint16_t>(h), ~0u),
                          nullptr);
  if (!r || xcb_get_image_data_length(r) < w * h * 4) {
    std::fprintf(stderr, "xshot: the screen cannot be read\n");
    return 1;
  }
  cairo_surface_t *img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  unsigned char *dst = cairo_image_surface_get_data(img);
  const int stride = cairo_image_surface_get_stride(img);
  for (int row = 0; row < h; ++row)
    std::memcpy(dst + row * stride, xcb_get_image_data(r) + row * w * 4, w * 4);
  cairo_surface_mark_dirty(img);
  const bool ok = cairo_surface_write_to_png(img, argv[1]) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(img);
  std::free(r);
  xcb_disconnect(c);
  return ok ? 0 : 1;
}
