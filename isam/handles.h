/*
 * The engine's handle table. Callers hold 32-bit values, never pointers:
 * the low 16 bits pick a slot, the high 16 bits count the slot's reuses,
 * so a handle that was closed stays invalid after its slot is used again.
 */
#ifndef VQ_ISAM_HANDLES_H
#define VQ_ISAM_HANDLES_H

#include <cstdint>

namespace vqisam {

enum class HandleKind : uint8_t { None, File, Table };

/// A new handle for object, or 0 when every slot is in use.
uint32_t addHandle(HandleKind kind, void *object);
/// The object of a live handle of that kind, or nullptr.
void *findHandle(uint32_t handle, HandleKind kind);
/// Frees the handle's slot; its value is never valid again.
void removeHandle(uint32_t handle);
/// True when the value was handed out as a handle, live or closed since.
bool wasHandle(uint32_t handle);

inline uint32_t handleValue(const void *h) {
  const uintptr_t v = reinterpret_cast<uintptr_t>(h);
  return v > 0xFFFFFFFFu ? 0 : static_cast<uint32_t>(v);
}
inline void *handlePointer(uint32_t h) { return reinterpret_cast<void *>(uintptr_t{h}); }

} // namespace vqisam

#endif
