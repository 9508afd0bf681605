// LoadCursorA, LoadIconA, DestroyCursor and DestroyIcon. Cursors and icons
// are shared as Windows shares loaded ones: loading the same resource again
// gives the same handle, and destroying one leaves it alive. Objects made
// from a module live until that module is unloaded.
#include <windows.h>

#include "module/module_registry.h"
#include "resource/cursor_object.h"
#include "resource/resource_lookup.h"

#include <cctype>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>

namespace vqwin::resource {
namespace {

constexpr WORD kRtCursor = 1, kRtIcon = 3, kRtGroupCursor = 12, kRtGroupIcon = 14;
// The size Windows asks for by default (SM_CXCURSOR, SM_CXICON).
constexpr int kPreferredSize = 32;

struct CursorObject {
  CursorImage image;
};

// System cursors are 32x32; the hot spot is where the pointer's tip or
// centre is in the usual shapes.
struct SystemShape {
  WORD id;
  POINT hotspot;
};
const SystemShape kSystemCursors[] = {
    {32512, {0, 0}},   {32513, {16, 16}}, {32514, {16, 16}}, {32515, {16, 16}}, {32516, {16, 0}},
    {32642, {16, 16}}, {32643, {16, 16}}, {32644, {16, 16}}, {32645, {16, 16}}, {32646, {16, 16}},
    {32648, {16, 16}}, {32649, {6, 0}},   {32650, {0, 0}},   {32651, {0, 0}}};
const WORD kSystemIcons[] = {32512, 32513, 32514, 32515, 32516, 32517, 32518};

struct Registry {
  std::map<std::pair<WORD, bool>, std::unique_ptr<CursorObject>> system;
  // (module base, icon?, id or upper-case name)
  std::map<std::tuple<uintptr_t, bool, std::string>, std::unique_ptr<CursorObject>> loaded;
  std::set<const void *> live;
};
Registry &Objects() {
  static Registry registry;
  return registry;
}

HCURSOR Handle(CursorObject *o) { return reinterpret_cast<HCURSOR>(o); }

std::string KeyText(LPCSTR name) {
  if (IS_INTRESOURCE(name))
    return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
  std::string s;
  for (const char *p = name; *p; ++p)
    s += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  return s;
}

uint32_t Le(const BYTE *p, int width) {
  uint32_t v = 0;
  for (int i = width - 1; i >= 0; --i)
    v = (v << 8) | p[i];
  return v;
}

HCURSOR LoadSystem(LPCSTR name, bool icon) {
  if (!IS_INTRESOURCE(name)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
  POINT hotspot{kPreferredSize / 2, kPreferredSize / 2};
  bool known = false;
  if (icon) {
    for (WORD s : kSystemIcons)
      known = known || s == id;
  } else {
    for (const SystemShape &s : kSystemCursors)
      if (s.id == id) {
        known = true;
        hotspot = s.hotspot;
      }
  }
  if (!known) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  auto &slot = Objects().system[{id, icon}];
  if (!slot) {
    slot = std::make_unique<CursorObject>();
    slot->image = {icon, true, id, kPreferredSize, kPreferredSize, hotspot, nullptr, 0};
    Objects().live.insert(slot.get());
  }
  return Handle(slot.get());
}

// Picks the image of a group directory: the preferred size if present,
// otherwise the largest. Returns its image id, or 0 for damaged data.
WORD ChooseImage(const vqwin_resource_entry *group, bool icon) {
  const BYTE *p = DataOf(group);
  if (group->size < 6 || Le(p, 2) != 0 || Le(p + 2, 2) != (icon ? 1u : 2u))
    return 0;
  const uint32_t count = Le(p + 4, 2);
  if (count == 0 || 6 + 14 * size_t{count} > group->size)
    return 0;
  WORD best = 0;
  uint32_t bestWidth = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const BYTE *e = p + 6 + 14 * i;
    uint32_t width = icon ? (e[0] == 0 ? 256 : e[0]) : Le(e, 2);
    const WORD id = static_cast<WORD>(Le(e + 12, 2));
    if (width == kPreferredSize)
      return id;
    if (width > bestWidth) {
      bestWidth = width;
      best = id;
    }
  }
  return best;
}

HCURSOR LoadFromModule(HINSTANCE module, LPCSTR name, bool icon) {
  const vqwin_resource_entry *group =
      Find(module, MAKEINTRESOURCE(icon ? kRtGroupIcon : kRtGroupCursor), name, 0);
  if (group == nullptr)
    return nullptr;
  const auto base = reinterpret_cast<uintptr_t>(module);
  auto &slot = Objects().loaded[{base, icon, KeyText(name)}];
  if (slot)
    return Handle(slot.get());

  const WORD imageId = ChooseImage(group, icon);
  const vqwin_resource_entry *single =
      imageId ? Find(module, MAKEINTRESOURCE(icon ? kRtIcon : kRtCursor), MAKEINTRESOURCE(imageId),
                     group->language)
              : nullptr;
  if (single == nullptr && imageId)
    single = Find(module, MAKEINTRESOURCE(icon ? kRtIcon : kRtCursor), MAKEINTRESOURCE(imageId), 0);
  CursorImage image;
  image.icon = icon;
  if (single) {
    const size_t skip = icon ? 0 : 4; // cursors start with their hot spot
    const BYTE *p = DataOf(single);
    if (single->size >= skip + 40 && Le(p + skip, 4) >= 40 &&
        Le(p + skip, 4) <= single->size - skip) {
      image.dib = p + skip;
      image.dibSize = static_cast<DWORD>(single->size - skip);
      image.width = static_cast<int>(Le(image.dib + 4, 4));
      image.height = static_cast<int>(Le(image.dib + 8, 4)) / 2;
      image.hotspot = icon ? POINT{image.width / 2, image.height / 2}
                           : POINT{static_cast<LONG>(Le(p, 2)), static_cast<LONG>(Le(p + 2, 2))};
    }
  }
  if (image.dib == nullptr || image.width <= 0 || image.height <= 0) {
    Objects().loaded.erase({base, icon, KeyText(name)});
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  slot = std::make_unique<CursorObject>();
  slot->image = image;
  Objects().live.insert(slot.get());
  return Handle(slot.get());
}

HCURSOR Load(HINSTANCE module, LPCSTR name, bool icon) {
  if (name == nullptr || (!IS_INTRESOURCE(name) && *name == '\0')) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return module == nullptr ? LoadSystem(name, icon) : LoadFromModule(module, name, icon);
}

BOOL Destroy(HCURSOR handle) {
  if (!Objects().live.count(handle)) {
    SetLastError(ERROR_INVALID_CURSOR_HANDLE);
    return FALSE;
  }
  return TRUE;
}

} // namespace

bool DescribeCursor(HCURSOR handle, CursorImage *image) {
  if (!Objects().live.count(handle))
    return false;
  if (image)
    *image = reinterpret_cast<const CursorObject *>(handle)->image;
  return true;
}

void ForgetModule(HMODULE module) {
  auto &loaded = Objects().loaded;
  const auto base = reinterpret_cast<uintptr_t>(module);
  for (auto it = loaded.begin(); it != loaded.end();) {
    if (std::get<0>(it->first) == base) {
      Objects().live.erase(it->second.get());
      it = loaded.erase(it);
    } else {
      ++it;
    }
  }
}

} // namespace vqwin::resource

using namespace vqwin::resource;

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
  return Load(hInstance, lpCursorName, false);
}

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  return Load(hInstance, lpIconName, true);
}

BOOL WINAPI DestroyCursor(HCURSOR hCursor) { return Destroy(hCursor); }
BOOL WINAPI DestroyIcon(HICON hIcon) { return Destroy(hIcon); }
