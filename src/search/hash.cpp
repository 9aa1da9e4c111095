#include <cstdlib>

#include "frontend/frontend.h"
#include "search/search.h"

HashTableSet Tables;
SearchState Srch;

uint32_t RoundTableBytes(uint32_t bytes, uint32_t entrySize) {
  uint32_t q = bytes / entrySize;
  if (q == 0) return 0;
  uint32_t highest = 1u << (31 - __builtin_clz(q));
  return entrySize * highest;
}

namespace {

// The usable base is the first 16-byte boundary strictly above the block start.
template <typename T>
T* AlignedBase(void* block) {
  return reinterpret_cast<T*>((reinterpret_cast<uintptr_t>(block) & ~static_cast<uintptr_t>(15)) + 16);
}

}  // namespace

int AllocateTableBlocks() {
  void* blocks[4] = {};
  size_t sizes[4] = {Settings.HashSize / 2 + 256u, Settings.HashSize / 2 + 256u, Settings.EvalHashSize + 256u,
                     Settings.PawnHashSize + 256u};
  int failure = 0;
  for (int i = 0; i < 4 && !failure; i++) {
    blocks[i] = std::malloc(sizes[i]);
    if (!blocks[i]) failure = i < 2 ? 1 : i == 2 ? 2 : 3;
  }
  if (failure) {
    for (void* b : blocks) std::free(b);
    return failure;
  }
  for (void*& b : Tables.Blocks) std::free(b);
  for (int i = 0; i < 4; i++) Tables.Blocks[i] = blocks[i];
  Tables.DepthPreferredTable = AlignedBase<HashEntry>(blocks[0]);
  Tables.AlwaysReplaceTable = AlignedBase<HashEntry>(blocks[1]);
  Tables.EvalTable = AlignedBase<EvalHashEntry>(blocks[2]);
  Tables.PawnTable = AlignedBase<PawnHashEntry>(blocks[3]);
  return 0;
}
