/*
 * Slots of the handle table; see handles.h for the value layout.
 */
#include "handles.h"

#include <vector>

namespace vqisam {
namespace {

struct Slot {
  HandleKind kind = HandleKind::None;
  uint16_t generation = 0;
  void *object = nullptr;
};

constexpr uint32_t kMaxSlots = 0xFFFF;

// Slot 0 is never handed out, so no handle is 0.
std::vector<Slot> &slots() {
  static std::vector<Slot> table(1);
  return table;
}
std::vector<uint32_t> &freeSlots() {
  static std::vector<uint32_t> list;
  return list;
}

} // namespace

uint32_t addHandle(HandleKind kind, void *object) {
  auto &table = slots();
  uint32_t index;
  if (!freeSlots().empty()) {
    index = freeSlots().back();
    freeSlots().pop_back();
  } else if (table.size() <= kMaxSlots) {
    index = static_cast<uint32_t>(table.size());
    table.emplace_back();
  } else {
    return 0;
  }
  Slot &slot = table[index];
  slot.generation = static_cast<uint16_t>(slot.generation + 1 == 0 ? 1 : slot.generation + 1);
  slot.kind = kind;
  slot.object = object;
  return (uint32_t{slot.generation} << 16) | index;
}

void *findHandle(uint32_t handle, HandleKind kind) {
  const uint32_t index = handle & 0xFFFF;
  const auto &table = slots();
  if (index == 0 || index >= table.size())
    return nullptr;
  const Slot &slot = table[index];
  if (slot.kind != kind || slot.generation != (handle >> 16))
    return nullptr;
  return slot.object;
}

void removeHandle(uint32_t handle) {
  const uint32_t index = handle & 0xFFFF;
  auto &table = slots();
  if (index == 0 || index >= table.size() || table[index].kind == HandleKind::None ||
      table[index].generation != (handle >> 16))
    return;
  table[index].kind = HandleKind::None;
  table[index].object = nullptr;
  freeSlots().push_back(index);
}

bool wasHandle(uint32_t handle) {
  const uint32_t index = handle & 0xFFFF;
  const uint32_t generation = handle >> 16;
  const auto &table = slots();
  return index != 0 && index < table.size() && generation != 0 &&
         generation <= table[index].generation;
}

} // namespace vqisam
