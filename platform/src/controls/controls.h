// What the standard controls share: per-window state kept alive while a
// message to the window is being handled (a parent's notification handler
// may destroy the control under it), notifications to the parent, the
// parent's colour answer, a measuring device context, and the entry points
// that register the classes.
#ifndef VQWIN_CONTROLS_CONTROLS_H
#define VQWIN_CONTROLS_CONTROLS_H

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>

namespace vqwin::controls {

/// Per-window state by handle. Handlers hold a shared pointer for the whole
/// message, so state survives the window's destruction inside a nested
/// call; `alive` turns false at WM_NCDESTROY and handlers check it after
/// every call that can reach other code.
template <typename T> class StateTable {
public:
  std::shared_ptr<T> Get(HWND hwnd) const {
    auto it = map_.find(hwnd);
    return it == map_.end() ? nullptr : it->second;
  }
  std::shared_ptr<T> Create(HWND hwnd) {
    auto state = std::make_shared<T>();
    state->hwnd = hwnd;
    map_[hwnd] = state;
    return state;
  }
  void Drop(HWND hwnd) {
    auto it = map_.find(hwnd);
    if (it == map_.end())
      return;
    it->second->alive = false;
    map_.erase(it);
  }

private:
  std::unordered_map<HWND, std::shared_ptr<T>> map_;
};

/// Sends WM_COMMAND with the control's id and `code` to its parent. False
/// when the control did not survive the parent's handling.
bool NotifyParent(HWND hwnd, WORD code);

/// Asks the parent for the brush and colours of a control (WM_CTLCOLOR*),
/// falling back to the default answer when the parent gives none.
HBRUSH ControlBrush(HWND hwnd, HDC dc, UINT message);

/// A client DC of the window with the control's font selected, for
/// measuring text.
class TextDC {
public:
  TextDC(HWND hwnd, HFONT font);
  ~TextDC();
  TextDC(const TextDC &) = delete;
  TextDC &operator=(const TextDC &) = delete;
  int Width(const char *text, int length) const;
  int Height() const;
  HDC dc() const { return dc_; }

private:
  HWND hwnd_;
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

/// Text comparison of list items: Windows-1252 letters without case.
int CompareItems(const std::string &a, const std::string &b);
/// True when `text` starts with `prefix`, without case.
bool HasPrefix(const std::string &text, const std::string &prefix);

bool RegisterEditClass();
bool RegisterListBoxClasses();
bool RegisterComboBoxClass();
bool RegisterScrollBarClass();

/// Ends a combo box's drop-down: the user chose the highlighted item of its
/// list (`ok`) or left it with a click elsewhere.
void ComboCloseUp(HWND combo, bool ok);

/// The list box procedure; the combo box's drop-down list is a list box of
/// the class "ComboLBox" that the combo box drives.
LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

} // namespace vqwin::controls

#endif
