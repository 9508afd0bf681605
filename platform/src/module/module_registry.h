/*
 * What the resource functions need from the module loader: the resource
 * table a module carries, and word when a module goes away so objects made
 * from its resources are dropped with it.
 */
#ifndef VQWIN_MODULE_REGISTRY_H
#define VQWIN_MODULE_REGISTRY_H

#include <windows.h>

#include "resource/resource_directory.h"

namespace vqwin::module {

/// The resource table of a loaded module (NULL = the executable). Sets
/// error to ERROR_RESOURCE_DATA_NOT_FOUND for a module without resources and
/// ERROR_MOD_NOT_FOUND for a handle that is no loaded module.
const vqwin_resource_table *ResourceTableOf(HMODULE module, DWORD &error);

} // namespace vqwin::module

namespace vqwin::resource {
/// Drops the cursors and icons loaded from a module that is being unloaded.
void ForgetModule(HMODULE module);
} // namespace vqwin::resource

#endif
