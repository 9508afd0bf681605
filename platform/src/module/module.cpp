// Modules by their Windows names: LoadLibraryA, FreeLibrary, GetProcAddress,
// GetModuleHandleA and GetModuleFileNameA over the dynamic loader.
//
// "name.dll" is the shared library libname.so (or name.so), found beside
// the platform library, beside the executable, then on the loader's own
// path. A module's HMODULE is the address where its ELF header is mapped:
// like a Windows image base it is fixed while the module stays loaded and
// is found again from the loader's list of objects.
#include <windows.h>

#include "module/module_registry.h"
#include "network/stations.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vqwin::module {
namespace {

// One object in the loader's list.
struct Image {
  uintptr_t base = 0;
  uintptr_t bias = 0; // the loader's load bias, to match a link_map
  std::string path;   // empty for the executable
  std::vector<std::pair<uintptr_t, uintptr_t>> segments;
  bool contains(const void *p) const {
    const auto a = reinterpret_cast<uintptr_t>(p);
    return std::any_of(segments.begin(), segments.end(),
                       [a](const auto &s) { return a >= s.first && a < s.second; });
  }
};

std::optional<Image> FindImage(const std::function<bool(const Image &, bool first)> &match) {
  struct Search {
    const std::function<bool(const Image &, bool)> *match;
    std::optional<Image> found;
    bool first = true;
  } search{&match, std::nullopt};
  dl_iterate_phdr(
      [](dl_phdr_info *info, size_t, void *data) -> int {
        auto &s = *static_cast<Search *>(data);
        Image image;
        bool haveBase = false;
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          const auto &ph = info->dlpi_phdr[i];
          if (ph.p_type != PT_LOAD)
            continue;
          if (!haveBase) {
            image.base = info->dlpi_addr + ph.p_vaddr - ph.p_offset;
            haveBase = true;
          }
          image.segments.emplace_back(info->dlpi_addr + ph.p_vaddr,
                                      info->dlpi_addr + ph.p_vaddr + ph.p_memsz);
        }
        image.path = info->dlpi_name ? info->dlpi_name : "";
        image.bias = info->dlpi_addr;
        const bool first = s.first;
        s.first = false;
        if (haveBase && (*s.match)(image, first)) {
          s.found = std::move(image);
          return 1;
        }
        return 0;
      },
      &search);
  return search.found;
}

std::optional<Image> ImageAt(HMODULE module) {
  const auto base = reinterpret_cast<uintptr_t>(module);
  if (module == nullptr)
    return FindImage([](const Image &, bool first) { return first; });
  return FindImage([base](const Image &i, bool) { return i.base == base; });
}

std::string Lower(std::string s) {
  for (char &c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string BaseName(const std::string &path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirName(const std::string &path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// "C:\dir\vq_tblrcD.dll" -> "vq_tblrcD"; a name without extension gets
// ".dll", as Windows adds it, so it maps the same way.
std::string StemOf(const std::string &windowsName) {
  std::string name = windowsName.substr(windowsName.find_last_of("\\/") + 1);
  if (name.size() > 4 && Lower(name.substr(name.size() - 4)) == ".dll")
    name.resize(name.size() - 4);
  return name;
}

// Whether a loaded object's file is the library for stem: libstem.so or
// stem.so, possibly with a version suffix (libstem.so.1).
bool FileIsStem(const std::string &path, const std::string &stem) {
  const std::string base = Lower(BaseName(path));
  for (const std::string &want : {"lib" + Lower(stem) + ".so", Lower(stem) + ".so"})
    if (base == want || (base.size() > want.size() && base.compare(0, want.size(), want) == 0 &&
                         base[want.size()] == '.'))
      return true;
  return false;
}

std::string ExecutablePath() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string PlatformLibraryPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void *>(&LoadLibraryA), &info) && info.dli_fname)
    return info.dli_fname;
  return std::string();
}

// Modules that LoadLibraryA loaded: one loader handle per reference, so
// the loader's own count always matches ours.
struct Loaded {
  std::vector<void *> handles;
};
// Never destroyed, for the same reason as Tables(): a library's detach may
// free its modules after this library's statics are gone.
std::map<uintptr_t, Loaded> &LoadedModules() {
  static auto *modules = new std::map<uintptr_t, Loaded>;
  return *modules;
}
// Tables of the loaded modules, as their modules registered them. Never
// destroyed: modules withdraw their tables from their own destructors,
// which may run after this library's statics are gone.
std::vector<const vqwin_resource_table *> &Tables() {
  static auto *tables = new std::vector<const vqwin_resource_table *>;
  return *tables;
}

std::optional<Image> ImageOfHandle(void *handle) {
  link_map *map = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr)
    return std::nullopt;
  const uintptr_t bias = map->l_addr;
  const std::string name = map->l_name ? map->l_name : "";
  return FindImage(
      [&](const Image &i, bool first) { return !first && i.path == name && i.bias == bias; });
}

// Opens the file of a module name, or nullptr.
void *OpenModule(const std::string &windowsName) {
  if (windowsName.find('/') != std::string::npos)
    return dlopen(windowsName.c_str(), RTLD_NOW | RTLD_LOCAL);
  const std::string stem = StemOf(windowsName);
  if (stem.empty())
    return nullptr;
  // The network functions are the platform library's own (network/netapi.cpp).
  if (Lower(stem) == "netapi32")
    return vqwin::network::HasStationSource()
               ? dlopen(PlatformLibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL)
               : nullptr;
  if (auto loaded =
          FindImage([&](const Image &i, bool first) { return !first && FileIsStem(i.path, stem); }))
    return dlopen(loaded->path.c_str(), RTLD_NOW | RTLD_LOCAL);
  const std::string files[] = {"lib" + stem + ".so", stem + ".so"};
  for (const std::string &dir : {DirName(PlatformLibraryPath()), DirName(ExecutablePath())}) {
    if (dir.empty())
      continue;
    for (const std::string &file : files)
      if (access((dir + file).c_str(), F_OK) == 0)
        if (void *h = dlopen((dir + file).c_str(), RTLD_NOW | RTLD_LOCAL))
          return h;
  }
  for (const std::string &file : files)
    if (void *h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL))
      return h;
  return nullptr;
}

// A loader handle for an image, to be closed by the caller.
void *HandleOf(const Image &image, bool executable) {
  return dlopen(executable ? nullptr : image.path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
}

} // namespace

const vqwin_resource_table *ResourceTableOf(HMODULE module, DWORD &error) {
  const auto image = ImageAt(module);
  if (!image) {
    error = ERROR_MOD_NOT_FOUND;
    return nullptr;
  }
  for (const vqwin_resource_table *table : Tables())
    if (image->contains(table) && table->magic == VQWIN_RESOURCE_MAGIC &&
        table->version == VQWIN_RESOURCE_VERSION)
      return table;
  error = ERROR_RESOURCE_DATA_NOT_FOUND;
  return nullptr;
}

} // namespace vqwin::module

using namespace vqwin::module;

void vqwin_register_resources(const vqwin_resource_table *table) {
  if (table)
    Tables().push_back(table);
}

void vqwin_unregister_resources(const vqwin_resource_table *table) {
  auto &tables = Tables();
  tables.erase(std::remove(tables.begin(), tables.end(), table), tables.end());
}

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
  if (lpLibFileName == nullptr || *lpLibFileName == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  void *handle = OpenModule(lpLibFileName);
  if (handle == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  const auto image = ImageOfHandle(handle);
  if (!image) {
    dlclose(handle);
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  LoadedModules()[image->base].handles.push_back(handle);
  return reinterpret_cast<HMODULE>(image->base);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  const auto base = reinterpret_cast<uintptr_t>(hLibModule);
  auto &modules = LoadedModules();
  auto it = modules.find(base);
  if (it == modules.end()) {
    // Modules the process was linked with are never unloaded.
    if (hLibModule != nullptr && ImageAt(hLibModule))
      return TRUE;
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  void *handle = it->second.handles.back();
  it->second.handles.pop_back();
  const bool last = it->second.handles.empty();
  if (last)
    modules.erase(it);
  dlclose(handle);
  // A module the process also linked with stays, and so do its cursors.
  if (last && !ImageAt(hLibModule))
    vqwin::resource::ForgetModule(hLibModule);
  return TRUE;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  const auto image = ImageAt(hModule);
  if (!image) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  // Our modules export by name only, so no ordinal exists.
  if (lpProcName == nullptr || IS_INTRESOURCE(lpProcName) || *lpProcName == '\0') {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  void *handle = HandleOf(*image, hModule == nullptr || image->path.empty());
  void *symbol = handle ? dlsym(handle, lpProcName) : nullptr;
  if (handle)
    dlclose(handle);
  if (symbol == nullptr || !image->contains(symbol)) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  std::optional<Image> image;
  if (lpModuleName == nullptr) {
    image = ImageAt(nullptr);
  } else {
    const std::string stem = StemOf(lpModuleName);
    if (!stem.empty())
      image =
          FindImage([&](const Image &i, bool first) { return !first && FileIsStem(i.path, stem); });
  }
  if (!image) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HMODULE>(image->base);
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  const auto image = ImageAt(hModule);
  if (!image) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  std::string path = hModule == nullptr || image->path.empty() ? ExecutablePath() : image->path;
  if (!path.empty() && path[0] != '/') {
    if (char *real = realpath(path.c_str(), nullptr)) {
      path = real;
      free(real);
    }
  }
  if (lpFilename == nullptr || nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() >= nSize) { // cut and terminated, as Windows does since Vista
    std::memcpy(lpFilename, path.data(), nSize - 1);
    lpFilename[nSize - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::memcpy(lpFilename, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}
