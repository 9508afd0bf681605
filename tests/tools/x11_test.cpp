// vqtbl on a real X display: an Xvfb server is started for each suite, vqtbl
// runs on it with VQWIN_DISPLAY=x11, xdotool sends real X input, and the
// cases check what vqtbl prints and what the screen shows. Skipped where
// Xvfb or xdotool is missing (and the clipboard case without xclip).
#include <cairo.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#ifdef VQ_HAVE_XFIXES
#include <xcb/xfixes.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr uint32_t kNavy = 0x000080;  // active caption
constexpr uint32_t kWhite = 0xFFFFFF; // list background

bool OnPath(const char *tool) {
  const std::string probe = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(probe.c_str()) == 0;
}

std::string Slurp(const fs::path &p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A program running on the test display, its stdout read line by line.
class Program {
public:
  explicit Program(const std::string &command) {
    int fds[2];
    if (pipe(fds) != 0)
      return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(fds[1], 1);
      close(fds[0]);
      close(fds[1]);
      execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char *>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    out_ = fds[0];
  }
  ~Program() {
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0)
      close(out_);
  }

  /// Reads until a line equal to `want` arrives; false after `limit`.
  bool WaitLine(const std::string &want, std::chrono::milliseconds limit = 8000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      for (size_t nl; (nl = buffer_.find('\n')) != std::string::npos;) {
        const std::string line = buffer_.substr(0, nl);
        buffer_.erase(0, nl + 1);
        seen_ += line + "\n";
        if (line == want)
          return true;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0)
        return false;
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
        return false;
      char chunk[512];
      const ssize_t n = read(out_, chunk, sizeof chunk);
      if (n <= 0)
        return false;
      buffer_.append(chunk, static_cast<size_t>(n));
    }
  }
  /// The exit status once the program ends, -1 when it does not in time.
  int Wait(std::chrono::milliseconds limit = 8000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (status_ < 0 && std::chrono::steady_clock::now() < end) {
      int st = 0;
      if (waitpid(pid_, &st, WNOHANG) == pid_)
        status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128;
      else
        std::this_thread::sleep_for(20ms);
    }
    return status_;
  }
  const std::string &seen() const { return seen_; }

private:
  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = -1;
  std::string buffer_, seen_;
};

class X11Test : public testing::Test {
protected:
  static inline fs::path dir;
  static inline std::string display;
  static inline pid_t server = -1;
  static inline xcb_connection_t *x = nullptr;

  static void SetUpTestSuite() {
    if (!OnPath("Xvfb") || !OnPath("xdotool"))
      return;
    x = nullptr;
    server = -1;
    dir = fs::temp_directory_path() / ("vqtbl_x11_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    // A display number of our own, away from those people use; the next
    // ones when it is taken.
    for (int n = 100 + getpid() % 400, tries = 0; tries < 5 && !x; ++n, ++tries) {
      display = ":" + std::to_string(n);
      server = fork();
      if (server == 0) {
        execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               "-noreset", static_cast<char *>(nullptr));
        _exit(127);
      }
      for (int wait = 0; wait < 100 && !x; ++wait) {
        std::this_thread::sleep_for(50ms);
        if (waitpid(server, nullptr, WNOHANG) == server)
          break; // it could not have the display
        x = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(x)) {
          xcb_disconnect(x);
          x = nullptr;
        }
      }
      if (!x) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
        server = -1;
      }
    }
    ASSERT_NE(x, nullptr) << "Xvfb cannot be started";
    const std::string make = std::string(VQ_MAKE_SAMPLE) + " --records 300 --seed 7 " +
                             (dir / "s.isa").string() + " >/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0);
  }
  static void TearDownTestSuite() {
    if (x)
      xcb_disconnect(x);
    x = nullptr;
    if (server > 0) {
      kill(server, SIGTERM);
      waitpid(server, nullptr, 0);
    }
    server = -1;
    if (!dir.empty())
      fs::remove_all(dir);
  }
  void SetUp() override {
    if (!x)
      GTEST_SKIP() << "Xvfb and xdotool are needed";
  }

  static std::string Env() {
    return "cd " + dir.string() + " && DISPLAY=" + display + " VQWIN_DISPLAY=x11 ";
  }
  static std::string Vqtbl(const std::string &args) {
    return Env() + VQ_VQTBL + " " + args + " 2>" + (dir / "err.txt").string();
  }
  static void Xdotool(const std::string &args) {
    const std::string cmd = "DISPLAY=" + display + " xdotool " + args;
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  }

  static uint32_t Pixel(int px, int py) {
    xcb_screen_t *s = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    xcb_get_image_reply_t *r = xcb_get_image_reply(
        x, xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, s->root, px, py, 1, 1, ~0u), nullptr);
    uint32_t v = 0;
    if (r && xcb_get_image_data_length(r) >= 4)
      std::memcpy(&v, xcb_get_image_data(r), 4);
    std::free(r);
    return v & 0xFFFFFF;
  }
  static void SaveScreen(const std::string &name) {
    xcb_screen_t *s = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const int w = s->width_in_pixels, h = s->height_in_pixels;
    xcb_get_image_reply_t *r = xcb_get_image_reply(
        x, xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, s->root, 0, 0, w, h, ~0u), nullptr);
    if (!r)
      return;
    cairo_surface_t *img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    for (int row = 0; row < h; ++row)
      std::memcpy(cairo_image_surface_get_data(img) + row * cairo_image_surface_get_stride(img),
                  xcb_get_image_data(r) + row * w * 4, w * 4);
    cairo_surface_mark_dirty(img);
    const char *out = std::getenv("VQ_TEST_OUTPUT");
    const fs::path target = fs::path(out && *out ? out : fs::temp_directory_path().c_str()) / name;
    cairo_surface_write_to_png(img, target.c_str());
    cairo_surface_destroy(img);
    std::free(r);
  }
  /// Waits until the screen shows `color` at (px, py), or (with `differ`)
  /// anything but it; saves the screen as NAME.png when it never does.
  static bool WaitPixel(const char *name, int px, int py, uint32_t color, bool differ = false) {
    const auto end = std::chrono::steady_clock::now() + 5s;
    uint32_t seen = 0;
    while (std::chrono::steady_clock::now() < end) {
      seen = Pixel(px, py);
      if ((seen == color) != differ)
        return true;
      std::this_thread::sleep_for(30ms);
    }
    SaveScreen(std::string(name) + ".png");
    ADD_FAILURE() << name << ": pixel (" << px << ", " << py << ") is " << std::hex << seen;
    return false;
  }
  /// Waits until an X window named `title` is there (or, with `gone`, no
  /// longer is).
  static bool WaitWindow(const std::string &title, bool gone = false) {
    const std::string cmd =
        "DISPLAY=" + display + " xdotool search --name '" + title + "' >/dev/null 2>&1";
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < end) {
      if ((std::system(cmd.c_str()) == 0) != gone)
        return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }
  /// The place and size of the X window named `title` (all -1 when none).
  struct Place {
    int left, top, right, bottom;
  };
  static Place Geometry(const std::string &title) {
    const std::string cmd = "DISPLAY=" + display + " xdotool search --name '" + title +
                            "' getwindowgeometry --shell >" + (dir / "geo.txt").string() +
                            " 2>/dev/null";
    Place r{-1, -1, -1, -1};
    if (std::system(cmd.c_str()) != 0)
      return r;
    std::istringstream in(Slurp(dir / "geo.txt"));
    int x = 0, y = 0, w = 0, h = 0;
    for (std::string line; std::getline(in, line);) {
      std::sscanf(line.c_str(), "X=%d", &x);
      std::sscanf(line.c_str(), "Y=%d", &y);
      std::sscanf(line.c_str(), "WIDTH=%d", &w);
      std::sscanf(line.c_str(), "HEIGHT=%d", &h);
    }
    return Place{x, y, x + w, y + h};
  }
  /// Asks the X window named `title` to close, as a window manager's close
  /// button does.
  static void CloseWindow(const std::string &title) {
    const std::string cmd = "DISPLAY=" + display + " xdotool search --name '" + title + "' >" +
                            (dir / "wid.txt").string();
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const xcb_window_t id = static_cast<xcb_window_t>(std::stoul(Slurp(dir / "wid.txt")));
    auto atom = [](const char *n) {
      xcb_intern_atom_reply_t *r =
          xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(n), n), nullptr);
      const xcb_atom_t a = r ? r->atom : 0;
      std::free(r);
      return a;
    };
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = id;
    ev.type = atom("WM_PROTOCOLS");
    ev.data.data32[0] = atom("WM_DELETE_WINDOW");
    xcb_send_event(x, 0, id, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&ev));
    xcb_flush(x);
  }
};

// Each step is X input and the status line vqtbl prints after it.
struct BrowseStep {
  const char *name;
  const char *input; // xdotool arguments
  const char *line;
};

TEST_F(X11Test, BrowseFollowsMouseKeysWheelAndTheSelectionDialog) {
  Program p(Vqtbl("browse s.isa Kunden --gui"));
  ASSERT_TRUE(p.WaitLine("records 300, top 1, cell -")) << p.seen() << Slurp(dir / "err.txt");
  WaitPixel("browse-caption", 600, 52, kNavy);
  const BrowseStep steps[] = {
      {"a click selects a cell", "mousemove 300 200 click 1", "records 300, top 1, cell 9/2"},
      {"Page Down scrolls a page", "key Next", "records 300, top 30, cell 38/2"},
      {"Down moves the cell", "key Down", "records 300, top 30, cell 39/2"},
      {"the wheel scrolls three lines", "click 5", "records 300, top 33, cell 39/2"},
      {"the wheel scrolls back", "click 4", "records 300, top 30, cell 39/2"},
      {"Page Up scrolls back", "key Prior", "records 300, top 1, cell 10/2"},
  };
  for (const BrowseStep &s : steps) {
    Xdotool(s.input);
    EXPECT_TRUE(p.WaitLine(s.line)) << s.name << "\n" << p.seen();
  }
  // The selection dialog: F3 opens it over the grid, the text typed into its
  // selection field (Tab from the comparisons) chooses the records.
  Xdotool("key F3");
  WaitPixel("selection-dialog", 627, 359, kNavy);
  Xdotool("key Tab");
  Xdotool("type \"ort = 'Kö*'\"");
  Xdotool("key Return");
  EXPECT_TRUE(p.WaitLine("records 25, top 1, cell -")) << p.seen() << Slurp(dir / "err.txt");
  WaitPixel("selection-closed", 627, 359, kNavy, true);
  CloseWindow("vqtbl - Kunden");
  EXPECT_EQ(p.Wait(), 0) << Slurp(dir / "err.txt");
}

// The clipboard is the X CLIPBOARD selection: xclip offers a text that
// Ctrl+V pastes into the selection field, and the part selected there and
// copied with Ctrl+C is what xclip then reads, in UTF-8 both ways.
TEST_F(X11Test, TheClipboardIsSharedWithOtherPrograms) {
  if (!OnPath("xclip"))
    GTEST_SKIP() << "xclip is needed";
  Program p(Vqtbl("browse s.isa Kunden --gui"));
  ASSERT_TRUE(p.WaitLine("records 300, top 1, cell -")) << p.seen() << Slurp(dir / "err.txt");
  const std::string xclip = "DISPLAY=" + display + " timeout 5 xclip -selection clipboard ";
  ASSERT_EQ(std::system(("printf \"ort = 'K\xC3\xB6*'\" | " + xclip + "-i").c_str()), 0);
  Xdotool("key F3");
  WaitPixel("clipboard-dialog", 627, 359, kNavy);
  Xdotool("key Tab ctrl+v");
  Xdotool("key shift+Left shift+Left shift+Left ctrl+c");
  // Until vqtbl has taken the clipboard, xclip still offers the whole text.
  const fs::path out = dir / "clip.txt";
  const auto end = std::chrono::steady_clock::now() + 5s;
  while (std::system((xclip + "-o >" + out.string()).c_str()) == 0 && Slurp(out) != "\xC3\xB6*'" &&
         std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(100ms);
  EXPECT_EQ(Slurp(out), "\xC3\xB6*'");
  Xdotool("key Return");
  EXPECT_TRUE(p.WaitLine("records 25, top 1, cell -")) << p.seen() << Slurp(dir / "err.txt");
  Xdotool("mousemove 926 53 click 1"); // the close box of the caption
  EXPECT_EQ(p.Wait(), 0) << Slurp(dir / "err.txt");
}

// Another program (here xdotool, as a window manager would) moves and
// sizes windows: the grid repaints at the new size and the window keeps
// its minimum. A message box over the selection dialog, moved away, opens
// centred over it where it now is, as an X window of its own that waits
// for the person's answer; vqtbl reports each box once. The selection
// tried has two faults, one box each.
TEST_F(X11Test, WindowsFollowMovesFromOutsideAndMessageBoxesWaitForThePerson) {
  Program p(Vqtbl("browse s.isa Kunden --gui"));
  ASSERT_TRUE(p.WaitLine("records 300, top 1, cell -")) << p.seen() << Slurp(dir / "err.txt");
  const std::string title = "vqtbl - Kunden";
  const Place before = Geometry(title);
  ASSERT_EQ(before.left, 40);
  Xdotool("search --name '" + title + "' windowsize 1100 900");
  WaitPixel("resized", 1000, 850, 0x000000, true); // the screen's black gave way to the grid
  Xdotool("search --name '" + title + "' windowsize 20 20 sleep 0.3");
  const Place small = Geometry(title);
  EXPECT_GT(small.right - small.left, 20);
  EXPECT_GT(small.bottom - small.top, 20);
  Xdotool("key F3");
  ASSERT_TRUE(WaitWindow("Selektion"));
  Xdotool("search --name Selektion windowmove 100 120 sleep 0.3");
  Xdotool("key Tab");
  Xdotool("type \"ort = = 'x\"");
  Xdotool("key Return");
  ASSERT_TRUE(WaitWindow("vq_tbl32 Fehler")) << Slurp(dir / "err.txt");
  const Place dialog = Geometry("Selektion"), box = Geometry("vq_tbl32 Fehler");
  EXPECT_EQ(dialog.left, 100);
  EXPECT_NEAR((box.left + box.right) / 2, (dialog.left + dialog.right) / 2, 1);
  EXPECT_NEAR((box.top + box.bottom) / 2, (dialog.top + dialog.bottom) / 2, 1);
  Xdotool("mousemove 10 10 click 1 sleep 0.3"); // beside the box: nothing happens
  EXPECT_TRUE(WaitWindow("vq_tbl32 Fehler"));
  const std::string first = "vqtbl: message 710: Fehlendes Zeichen ' in \"'x\"\n";
  EXPECT_EQ(Slurp(dir / "err.txt"), first);
  Xdotool("key Return");
  const std::string both =
      first + "vqtbl: message 730: Logischer Operator fehlt in \"ort = = 'x\"\n";
  for (int i = 0; i < 100 && Slurp(dir / "err.txt") != both; ++i)
    std::this_thread::sleep_for(50ms);
  Xdotool("key Return");
  EXPECT_TRUE(WaitWindow("vq_tbl32 Fehler", true));
  Xdotool("key Escape");
  EXPECT_TRUE(WaitWindow("Selektion", true));
  CloseWindow(title);
  EXPECT_EQ(p.Wait(), 0);
  EXPECT_EQ(Slurp(dir / "err.txt"), both);
}

#ifdef VQ_HAVE_XFIXES
// The shape of the pointer the X server shows: size and hot spot.
std::string CursorShape(xcb_connection_t *c) {
  xcb_xfixes_get_cursor_image_reply_t *r =
      xcb_xfixes_get_cursor_image_reply(c, xcb_xfixes_get_cursor_image(c), nullptr);
  std::string shape = "none";
  if (r)
    shape = std::to_string(r->width) + "x" + std::to_string(r->height) + "@" +
            std::to_string(r->xhot) + "," + std::to_string(r->yhot);
  std::free(r);
  return shape;
}

// WM_SETCURSOR decides the X pointer: the arrow over the grid and the
// dialog, the I-beam over the dialog's selection field.
TEST_F(X11Test, ThePointerFollowsSetCursor) {
  std::free(xcb_xfixes_query_version_reply(x, xcb_xfixes_query_version(x, 4, 0), nullptr));
  Program p(Vqtbl("browse s.isa Kunden --gui"));
  ASSERT_TRUE(p.WaitLine("records 300, top 1, cell -")) << p.seen() << Slurp(dir / "err.txt");
  // The shape once it has settled after the pointer moved to (px, py).
  auto shapeAt = [](int px, int py) {
    Xdotool("mousemove " + std::to_string(px) + " " + std::to_string(py) + " sleep 0.2");
    std::string shape = CursorShape(x);
    for (int i = 0; i < 20; ++i) {
      std::this_thread::sleep_for(50ms);
      const std::string again = CursorShape(x);
      if (again == shape)
        break;
      shape = again;
    }
    return shape;
  };
  const std::string grid = shapeAt(300, 200);
  Xdotool("key F3");
  ASSERT_TRUE(WaitWindow("Selektion"));
  const std::string field = shapeAt(500, 617), dialog = shapeAt(700, 380);
  EXPECT_NE(field, grid) << "the I-beam over the field";
  EXPECT_EQ(dialog, grid) << "the arrow over the dialog";
  Xdotool("key Escape");
  CloseWindow("vqtbl - Kunden");
  EXPECT_EQ(p.Wait(), 0) << Slurp(dir / "err.txt");
}
#endif

TEST_F(X11Test, EditInsertsAFieldThatTheConfigurationFileThenHolds) {
  fs::copy_file(fs::path(VQ_SAMPLES_DIR) / "kunden.cfg", dir / "k.cfg",
                fs::copy_options::overwrite_existing);
  Program p(Vqtbl("edit k.cfg Kunden"));
  ASSERT_TRUE(WaitPixel("sheet", 731, 285, kNavy)) << Slurp(dir / "err.txt");
  Xdotool("key alt+a"); // "&Anfügen": a new line, its name in an editor
  Xdotool("type Größe");
  Xdotool("key Return");                    // the name is taken, the type's drop-down opens
  WaitPixel("drop-down", 470, 679, kWhite); // over the buttons below
  Xdotool("mousemove 449 633 click 1");     // its item "Text"
  // OK: the first click closes the list, which keeps the button from
  // hearing it; a second one lands on nothing when the first did.
  Xdotool("mousemove 845 727 click 1 sleep 0.5 click 1");
  if (!p.WaitLine("k.cfg: table \"Kunden\" written, 11 fields, 3 keys")) {
    SaveScreen("edit-ok.png");
    FAIL() << p.seen() << Slurp(dir / "err.txt");
  }
  EXPECT_EQ(p.Wait(), 0);
  const std::string cfg = Slurp(dir / "k.cfg");
  // The new field is the last one, after "Notiz", with the name typed, in
  // the file's code page.
  const size_t notiz = cfg.find("\"Notiz\"\r\n");
  ASSERT_NE(notiz, std::string::npos) << cfg;
  const std::string line = cfg.substr(notiz + 9, cfg.find("\r\n", notiz + 9) - notiz - 9);
  unsigned offset = 0, size = 0, type = 0;
  EXPECT_EQ(std::sscanf(line.c_str(), "Field: %u, %u, %u,", &offset, &size, &type), 3) << line;
  EXPECT_NE(line.find("\"Gr\xF6\xDF"
                      "e\""),
            std::string::npos)
      << line;
  for (const auto &e : fs::directory_iterator(dir))
    EXPECT_EQ(e.path().string().find(".tmp-"), std::string::npos) << e.path();
}

TEST_F(X11Test, EditCancelledLeavesTheFile) {
  fs::copy_file(fs::path(VQ_SAMPLES_DIR) / "kunden.cfg", dir / "c.cfg",
                fs::copy_options::overwrite_existing);
  const std::string before = Slurp(dir / "c.cfg");
  Program p(Vqtbl("edit c.cfg Kunden"));
  ASSERT_TRUE(WaitPixel("sheet-cancel", 731, 285, kNavy)) << Slurp(dir / "err.txt");
  Xdotool("key Escape");
  EXPECT_TRUE(p.WaitLine("c.cfg: not changed")) << p.seen();
  EXPECT_EQ(p.Wait(), 0);
  EXPECT_EQ(Slurp(dir / "c.cfg"), before);
}

} // namespace

// The same display with an X window manager on it (openbox, which reparents
// windows into frames of its own): our windows carry the only frame, and a
// drag on their caption moves them.
class ManagedX11Test : public X11Test {
protected:
  static inline pid_t manager = -1;
  static void SetUpTestSuite() {
    if (!OnPath("openbox"))
      return;
    X11Test::SetUpTestSuite();
    if (!x)
      return;
    manager = fork();
    if (manager == 0) {
      setenv("DISPLAY", display.c_str(), 1);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      execlp("openbox", "openbox", static_cast<char *>(nullptr));
      _exit(127);
    }
    // Running once it names itself on the root window.
    for (int wait = 0; wait < 100 && !Supported(); ++wait)
      std::this_thread::sleep_for(50ms);
    // It names itself before it has finished taking the screen over; a
    // window mapped in between, on a busy machine, was never shown.
    std::this_thread::sleep_for(1000ms);
  }
  static void TearDownTestSuite() {
    if (manager > 0) {
      kill(manager, SIGTERM);
      waitpid(manager, nullptr, 0);
    }
    manager = -1;
    X11Test::TearDownTestSuite();
  }
  void SetUp() override {
    if (manager <= 0 || !x)
      GTEST_SKIP() << "Xvfb, xdotool and openbox are needed";
  }
  static bool Supported() {
    xcb_screen_t *s = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const char name[] = "_NET_SUPPORTING_WM_CHECK";
    xcb_intern_atom_reply_t *a =
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 1, sizeof name - 1, name), nullptr);
    bool there = false;
    if (a && a->atom) {
      xcb_get_property_reply_t *r = xcb_get_property_reply(
          x, xcb_get_property(x, 0, s->root, a->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
      there = r && xcb_get_property_value_length(r) == 4;
      std::free(r);
    }
    std::free(a);
    return there;
  }
  /// The geometry of the window that holds the X window named `title`
  /// directly below the root: the manager's frame where it reparented it.
  static Place Frame(const std::string &title) {
    const std::string cmd = "DISPLAY=" + display + " xdotool search --name '" + title + "' >" +
                            (dir / "wid.txt").string();
    if (std::system(cmd.c_str()) != 0)
      return Place{-1, -1, -1, -1};
    xcb_window_t id = static_cast<xcb_window_t>(std::stoul(Slurp(dir / "wid.txt")));
    for (;;) {
      xcb_query_tree_reply_t *t = xcb_query_tree_reply(x, xcb_query_tree(x, id), nullptr);
      const bool top = !t || t->parent == t->root;
      if (t && !top)
        id = t->parent;
      std::free(t);
      if (top)
        break;
    }
    xcb_get_geometry_reply_t *g = xcb_get_geometry_reply(x, xcb_get_geometry(x, id), nullptr);
    Place r{-1, -1, -1, -1};
    if (g)
      r = Place{g->x, g->y, g->x + g->width + 2 * g->border_width,
                g->y + g->height + 2 * g->border_width};
    std::free(g);
    return r;
  }
};

TEST_F(ManagedX11Test, OneFrameAndADragOnTheCaptionMovesTheWindow) {
  Program p(Vqtbl("browse s.isa Kunden --gui"));
  ASSERT_TRUE(p.WaitLine("records 300, top 1, cell -")) << p.seen() << Slurp(dir / "err.txt");
  const std::string title = "vqtbl - Kunden";
  ASSERT_TRUE(WaitPixel("managed-caption", 600, 52, kNavy));
  const Place before = Geometry(title), frame = Frame(title);
  EXPECT_EQ(before.left, 40);
  EXPECT_EQ(before.top, 40);
  EXPECT_EQ(frame.left, before.left);
  EXPECT_EQ(frame.top, before.top);
  EXPECT_EQ(frame.right, before.right);
  EXPECT_EQ(frame.bottom, before.bottom);
  SaveScreen("managed-browse.png");
  Xdotool("mousemove 300 52 sleep 0.1 mousedown 1 sleep 0.1 mousemove 350 100 sleep 0.1 "
          "mousemove 400 152 sleep 0.2 mouseup 1 sleep 0.3");
  WaitPixel("managed-moved", 700, 152, kNavy);
  const Place after = Geometry(title);
  EXPECT_EQ(after.left - before.left, 100);
  EXPECT_EQ(after.top - before.top, 100);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  // The layer knows where the window went: a click lands on the cell under it.
  Xdotool("mousemove 400 300 click 1");
  EXPECT_TRUE(p.WaitLine("records 300, top 1, cell 9/2")) << p.seen();
  SaveScreen("managed-moved.png");
  CloseWindow(title);
  EXPECT_EQ(p.Wait(), 0) << Slurp(dir / "err.txt");
}
