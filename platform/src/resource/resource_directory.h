/*
 * The table of resources a module carries: the layout shared by the
 * resource compiler's generated sources and the loader that reads them.
 *
 * Each module built with resources holds one table of its own (internal
 * linkage, so modules never clash over a name) and registers it with the
 * platform library when it is loaded, withdrawing it when unloaded. The
 * platform finds a module's table as the registered one that lies inside
 * the module's mapped segments. Entries are sorted by type, name and
 * language (ids before names, names in upper case, as Windows orders
 * them), and every data block is already in its Win32 layout.
 *
 * This header is plain C so generated sources need nothing else.
 */
#ifndef VQWIN_RESOURCE_DIRECTORY_H
#define VQWIN_RESOURCE_DIRECTORY_H

#include <stdint.h>

/* "VQRS" and a layout version: a module built against another layout is
   treated as having no resources rather than misread. */
#define VQWIN_RESOURCE_MAGIC 0x53525156u
#define VQWIN_RESOURCE_VERSION 1u

/* A type or a name: a 16-bit id when text is NULL, else an upper-case name. */
struct vqwin_resource_key {
  const char *text;
  uint16_t id;
};

struct vqwin_resource_entry {
  struct vqwin_resource_key type;
  struct vqwin_resource_key name;
  uint16_t language;
  uint32_t size;
  const unsigned char *data;
};

struct vqwin_resource_table {
  uint32_t magic;
  uint32_t version;
  uint32_t count;
  const struct vqwin_resource_entry *entries;
};

#ifdef __cplusplus
extern "C" {
#endif
/* Called by a module's own constructor and destructor. */
__attribute__((visibility("default"))) void
vqwin_register_resources(const struct vqwin_resource_table *table);
__attribute__((visibility("default"))) void
vqwin_unregister_resources(const struct vqwin_resource_table *table);
#ifdef __cplusplus
}
#endif

#endif
