// The transposition table (two tables of HashEntry), the evaluation cache and
// the pawn cache: layout, probe and store, sizing, allocation and clearing.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "eval/eval.h"
#include "platform/platform.h"
#include "search/search.h"

HashTableSet Tables;
SearchState Srch;
SearchSettings SearchConfig;

namespace {
// The generators order by the search's killers, history and last line from
// the start, whether or not InitSearchTables has run yet.
[[maybe_unused]] const bool kHintsReady = (InitSearchTables(), true);
}  // namespace

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

constexpr uint32_t SCORE_BIAS = 65536;
constexpr uint32_t DEPTH_LIMIT = 8191;     // 13 bits
constexpr uint32_t MOVE_BITS = MOVE_WORD_MASK;
constexpr uint32_t MOVE_FIELD = MOVE_BITS << 4;

int EntryScore(const HashEntry& e) { return static_cast<int>(e.DataLow & 0x1FFFF) - static_cast<int>(SCORE_BIAS); }
int EntryDepth(const HashEntry& e) { return static_cast<int>((e.DataLow >> 17) & DEPTH_LIMIT); }
int EntryBound(const HashEntry& e) { return static_cast<int>(e.DataLow >> 30); }
Move EntryMove(const HashEntry& e) { return e.DataHigh >> 4; }
int EntryMateThreat(const HashEntry& e) { return static_cast<int>((e.DataHigh >> 3) & 1); }
int EntryAge(const HashEntry& e) { return static_cast<int>(e.DataHigh & 7); }

// Mate scores are stored relative to the node and read back relative to the root.
int ScoreFromTable(int score) {
  if (score > MATE_THRESHOLD) return score - (Tree.Ply - 1);
  if (score < -MATE_THRESHOLD) return score + (Tree.Ply - 1);
  return score;
}

struct TableKey {
  uint32_t Low;
  uint32_t High;
  uint32_t Index;
};

TableKey CurrentKey() {
  HashKey key = FoldSide(Pos.Key, Pos.SideToMove);
  return {KeyLow(key), KeyHigh(key), KeyLow(key) & Tables.HashMask};
}

bool Matches(const HashEntry& e, const TableKey& k) { return e.KeyLow == k.Low && e.KeyHigh == k.High; }

void ClearTranspositionEntries() {
  if (!Tables.DepthPreferredTable) return;
  uint32_t count = Tables.HashBytes / (2 * sizeof(HashEntry));
  const HashEntry empty = {EMPTY_DATA_LOW, EMPTY_DATA_HIGH, 0, 0};
  for (uint32_t i = 0; i < count; i++) {
    Tables.DepthPreferredTable[i] = empty;
    Tables.AlwaysReplaceTable[i] = empty;
  }
}

}  // namespace

int AllocateTableBlocks() {
  return AllocateTableBlocks(SearchConfig.HashSize, SearchConfig.EvalHashSize, SearchConfig.PawnHashSize);
}

int AllocateTableBlocks(uint32_t hashBytes, uint32_t evalBytes, uint32_t pawnBytes) {
  void* blocks[4] = {};
  size_t sizes[4] = {hashBytes / 2 + 256u, hashBytes / 2 + 256u, evalBytes + 256u, pawnBytes + 256u};
  int failure = 0;
  for (int i = 0; i < 4 && !failure; i++) {
    blocks[i] = AllocateTableMemory(sizes[i]);
    if (!blocks[i]) failure = i < 2 ? 1 : i == 2 ? 2 : 3;
  }
  if (failure) {
    for (void* b : blocks) FreeTableMemory(b);
    return failure;
  }
  for (void*& b : Tables.Blocks) FreeTableMemory(b);
  for (int i = 0; i < 4; i++) Tables.Blocks[i] = blocks[i];
  Tables.DepthPreferredTable = AlignedBase<HashEntry>(blocks[0]);
  Tables.AlwaysReplaceTable = AlignedBase<HashEntry>(blocks[1]);
  EvalCaches.EvalTable = AlignedBase<EvalHashEntry>(blocks[2]);
  EvalCaches.PawnTable = AlignedBase<PawnHashEntry>(blocks[3]);
  Tables.HashBytes = hashBytes;
  EvalCaches.EvalBytes = evalBytes;
  EvalCaches.PawnBytes = pawnBytes;
  // Nothing may index past the new tables before they are cleared.
  Tables.HashMask = EvalCaches.EvalHashMask = EvalCaches.PawnHashMask = 0;
  return 0;
}

int ProbeHash(int depth, int& score, Move& move, int& mateThreat, int pieceUnits, int& nullAllowed, int beta) {
  const TableKey k = CurrentKey();
  // The null-move reduction the caller would use here.
  const int reduction = (depth <= 6 * ONE_PLY && pieceUnits > 8) ? 3 * ONE_PLY : 4 * ONE_PLY;

  const HashEntry& always = Tables.AlwaysReplaceTable[k.Index];
  if (Matches(always, k)) {
    move = EntryMove(always);
    score = EntryScore(always);
    mateThreat = EntryMateThreat(always);
    if (EntryBound(always) == HASH_UPPER && EntryDepth(always) >= depth - reduction && beta > score) nullAllowed = 0;
    if (Srch.RepetitionSeen) return HASH_MISS;
    if (EntryDepth(always) >= depth) {
      score = ScoreFromTable(score);
      return EntryBound(always);
    }
  }

  const HashEntry& deep = Tables.DepthPreferredTable[k.Index];
  if (!Matches(deep, k)) return HASH_MISS;
  if (move == 0) move = EntryMove(deep);
  score = EntryScore(deep);
  mateThreat = EntryMateThreat(deep);
  if (EntryBound(deep) == HASH_UPPER && EntryDepth(deep) >= depth - reduction && beta > score) nullAllowed = 0;
  if (Srch.RepetitionSeen || EntryDepth(deep) < depth) return HASH_MISS;
  score = ScoreFromTable(score);
  return EntryBound(deep);
}

void StoreHash(int score, int depth, int bound, int mateThreat, Move move) {
  if (score > MATE_THRESHOLD) score += Tree.Ply - 1;
  else if (score < -MATE_THRESHOLD) score -= Tree.Ply - 1;
  VESSIK_ASSERT(score >= -65536 && score <= 65535);
  VESSIK_ASSERT(depth >= 0 && depth <= static_cast<int>(DEPTH_LIMIT));
  // The fields are 17 and 13 bits wide; out-of-range values never reach here
  // from the search, but must not spill into the neighbouring fields.
  int storedScore = score < -65536 ? -65536 : score > 65535 ? 65535 : score;
  int storedDepth = depth < 0 ? 0 : depth > static_cast<int>(DEPTH_LIMIT) ? static_cast<int>(DEPTH_LIMIT) : depth;

  const TableKey k = CurrentKey();
  HashEntry entry;
  entry.DataLow = static_cast<uint32_t>(storedScore + static_cast<int>(SCORE_BIAS)) |
                  static_cast<uint32_t>(storedDepth) << 17 | static_cast<uint32_t>(bound & 3) << 30;
  entry.DataHigh = (move & MOVE_BITS) << 4 | static_cast<uint32_t>(mateThreat ? 1 : 0) << 3 |
                   static_cast<uint32_t>(Srch.SearchAge & 7);
  entry.KeyLow = k.Low;
  entry.KeyHigh = k.High;

  HashEntry& deep = Tables.DepthPreferredTable[k.Index];
  int age = EntryAge(deep);
  bool stale = age != 0 && age != Srch.SearchAge;
  if (!stale && EntryDepth(deep) > depth) {
    Tables.AlwaysReplaceTable[k.Index] = entry;
    return;
  }
  if (!Matches(deep, k)) Tables.AlwaysReplaceTable[deep.KeyLow & Tables.HashMask] = deep;
  deep = entry;
}

void StoreHashMove(Move move) {
  const TableKey k = CurrentKey();
  HashEntry& always = Tables.AlwaysReplaceTable[k.Index];
  HashEntry& deep = Tables.DepthPreferredTable[k.Index];
  const uint32_t moveField = (move & MOVE_BITS) << 4;
  if (Matches(always, k)) {
    always.DataHigh = (always.DataHigh & ~MOVE_FIELD) | moveField;
  } else if (Matches(deep, k)) {
    deep.DataHigh = (deep.DataHigh & ~MOVE_FIELD) | moveField;
  } else {
    always = {MOVE_ONLY_DATA, moveField | static_cast<uint32_t>(Srch.SearchAge & 7), k.Low, k.High};
  }
}

void ResetTranspositionTables() {
  Tables.HashMask = Tables.HashBytes ? Tables.HashBytes / (2 * sizeof(HashEntry)) - 1 : 0;
  ClearTranspositionEntries();
  RecomputeKeys();
}

void ClearHashTables() {
  ClearTranspositionEntries();
  ClearEvalCaches();
  std::memset(Srch.HistoryTable, 0, sizeof Srch.HistoryTable);
  std::memset(Srch.Killer1, 0, sizeof Srch.Killer1);
  std::memset(Srch.Killer2, 0, sizeof Srch.Killer2);
  std::memset(Srch.PvTable[0], 0, sizeof Srch.PvTable[0]);
}

void SizeHashTables(int totalMb) {
  // Below 1 MB there is no power of two to start from; past 4095 MB the byte
  // counts no longer fit the 32-bit sizes.
  if (totalMb < 1) totalMb = 1;
  if (totalMb > 4095) totalMb = 4095;
  uint32_t total = static_cast<uint32_t>(totalMb);
  uint32_t p = 1u << (31 - __builtin_clz(total));
  uint32_t tt, pawn, eval;
  if (total >= p + 8) {
    tt = p;
    eval = 2;
    pawn = 6;
  } else {
    tt = p / 2;
    pawn = 3 * p / 8;
    eval = p / 8;
  }
  if (tt < 2) tt = 2;
  if (pawn < 3) pawn = 3;
  if (eval < 1) eval = 1;
  SearchConfig.PawnHashSize = RoundTableBytes(pawn << 20, sizeof(PawnHashEntry));
  SearchConfig.HashSize = RoundTableBytes(tt << 20, 2 * sizeof(HashEntry));
  SearchConfig.EvalHashSize = RoundTableBytes(eval << 20, sizeof(EvalHashEntry));
  std::printf("Hash Eval Table: %dMB\n", static_cast<int>(SearchConfig.EvalHashSize >> 20));
  std::printf("Pawn Hash : %dMB\n", static_cast<int>(SearchConfig.PawnHashSize >> 20));
  std::printf("Hash Tables: %dMB\n", static_cast<int>(SearchConfig.HashSize >> 20));
  std::fflush(stdout);
}

bool AllocateHashTables(int totalMb) {
  const uint32_t hash = SearchConfig.HashSize, eval = SearchConfig.EvalHashSize, pawn = SearchConfig.PawnHashSize;
  SizeHashTables(totalMb);
  int failure = AllocateTableBlocks();
  if (failure) {
    // The previous tables are still allocated and stay in use.
    SearchConfig.HashSize = hash;
    SearchConfig.EvalHashSize = eval;
    SearchConfig.PawnHashSize = pawn;
    std::printf(failure == 1 ? "HASH is too large\n" : "Hash Eval is too large!\n");
    std::fflush(stdout);
    WaitKey();
    return false;
  }
  ResetTranspositionTables();
  ClearHashTables();
  return true;
}

void AdvanceSearchAge() {
  Srch.SearchAge++;
  if (Srch.SearchAge >= 8) Srch.SearchAge = 1;
}
