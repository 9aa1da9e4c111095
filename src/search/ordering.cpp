// Move ordering: the staged pickers of the tree, killer and history
// bookkeeping, and the fully sorted root list.
#include "search/search_internal.h"

using namespace search;

namespace {

// Picker stages of a node that is not in check.
enum : uint8_t {
  STAGE_HASH = 0,
  STAGE_GENERATE_CAPTURES = 1,
  STAGE_FIRST_CAPTURE = 2,
  STAGE_GOOD_CAPTURES = 3,
  STAGE_KILLER1 = 4,
  STAGE_KILLER2 = 5,
  STAGE_AFTER_KILLERS = 6,
  STAGE_LOSING_CAPTURES = 7,
  STAGE_GENERATE_QUIET = 8,
  STAGE_FIRST_QUIET = 9,
  STAGE_QUIET = 10,
};

// Picker stages of a node in check.
enum : uint8_t {
  EVASION_START = 0,
  EVASION_FIRST = 2,
  EVASION_REST = 3,
};

// Scores compare as unsigned numbers; the first maximum wins and a score of 0
// (a taken move) is never picked. Returns the slot, or -1.
inline int BestSlot(const PlyMoveList& list) {
  uint32_t best = 0;
  int at = -1;
  for (int i = 0; i < list.End; i++) {
    if (list.Scores[i] > best) {
      best = list.Scores[i];
      at = i;
    }
  }
  return at;
}

// The same scan, first taking out every entry equal to one of the moves given.
inline int BestSlotWithout(PlyMoveList& list, Move a, Move b, Move c) {
  uint32_t best = 0;
  int at = -1;
  for (int i = 0; i < list.End; i++) {
    const Move m = list.Moves[i];
    if (m == a || m == b || m == c) {
      list.Moves[i] = 0;
      list.Scores[i] = 0;
      continue;
    }
    if (list.Scores[i] > best) {
      best = list.Scores[i];
      at = i;
    }
  }
  return at;
}

inline Move Take(PlyMoveList& list, int slot) {
  const Move m = list.Moves[slot];
  list.Moves[slot] = 0;
  list.Scores[slot] = 0;
  return m;
}

inline bool IsGood(const PlyMoveList& list, int slot) { return list.Scores[slot] >= static_cast<uint32_t>(GOOD_CAPTURE); }

// A stored move can reach make only when the generators could have produced it:
// a hash entry of another position with the same key must not corrupt the board.
inline Move UsableHashMove(int ply) {
  const Move hash = Srch.HashMoveAtPly[ply];
  if (hash && !IsMovePossible(hash)) {
    Srch.HashMoveAtPly[ply] = 0;
    return 0;
  }
  return hash;
}

inline void AddHistory(int side, Move move, int depth) {
  uint32_t& h = Srch.HistoryTable[side][MoveFromTo(move)];
  const uint64_t sum = static_cast<uint64_t>(h) + static_cast<uint64_t>(depth) * static_cast<uint64_t>(depth);
  h = sum > HISTORY_LIMIT ? HISTORY_LIMIT : static_cast<uint32_t>(sum);
}

}  // namespace

Move NextMove() {
  const int ply = Tree.Ply;
  PlyMoveList& list = Gen.MoveList[ply];
  uint8_t& stage = Srch.PickStage[ply];
  int slot;
  switch (stage) {
    case STAGE_HASH: {
      stage = STAGE_GENERATE_CAPTURES;
      if (UsableHashMove(ply)) return Srch.HashMoveAtPly[ply];
      [[fallthrough]];
    }
    case STAGE_GENERATE_CAPTURES:
      GenerateCaptures();
      if (Srch.HashMoveAtPly[ply] == 0) {
        stage = STAGE_GOOD_CAPTURES;
        goto good_captures;
      }
      [[fallthrough]];
    case STAGE_FIRST_CAPTURE: {
      stage = STAGE_GOOD_CAPTURES;
      const Move hash = Srch.HashMoveAtPly[ply];
      slot = BestSlotWithout(list, hash, hash, hash);
      if (slot >= 0 && IsGood(list, slot)) return Take(list, slot);
      goto killer1;
    }
    case STAGE_GOOD_CAPTURES:
    good_captures:
      slot = BestSlot(list);
      if (slot >= 0 && IsGood(list, slot)) return Take(list, slot);
      [[fallthrough]];
    case STAGE_KILLER1:
    killer1:
      stage = STAGE_KILLER2;
      if (IsMovePossible(Srch.Killer1[ply])) return Srch.Killer1[ply];
      [[fallthrough]];
    case STAGE_KILLER2:
      stage = STAGE_AFTER_KILLERS;
      if (IsMovePossible(Srch.Killer2[ply])) return Srch.Killer2[ply];
      [[fallthrough]];
    case STAGE_AFTER_KILLERS:
      stage = STAGE_LOSING_CAPTURES;
      [[fallthrough]];
    case STAGE_LOSING_CAPTURES:
      slot = BestSlot(list);
      if (slot >= 0) return Take(list, slot);
      [[fallthrough]];
    case STAGE_GENERATE_QUIET:
      // Every capture has been taken: the quiet moves fill the list afresh.
      GenerateQuiet();
      [[fallthrough]];
    case STAGE_FIRST_QUIET:
      stage = STAGE_QUIET;
      slot = BestSlotWithout(list, Srch.HashMoveAtPly[ply], Srch.Killer1[ply], Srch.Killer2[ply]);
      return slot >= 0 ? Take(list, slot) : 0;
    default:
      slot = BestSlot(list);
      return slot >= 0 ? Take(list, slot) : 0;
  }
}

Move NextEvasion() {
  const int ply = Tree.Ply;
  PlyMoveList& list = Gen.MoveList[ply];
  uint8_t& stage = Srch.PickStage[ply];
  int slot;
  switch (stage) {
    case EVASION_START: {
      stage = EVASION_FIRST;
      GenerateEvasions();
      const Move hash = Srch.HashMoveAtPly[ply];
      if (hash) {
        // The evasion list is trusted to hold only answers to the check; a hash
        // move is offered only when it is one of them.
        for (int i = 0; i < list.End; i++)
          if (list.Moves[i] == hash) return hash;
        Srch.HashMoveAtPly[ply] = 0;
      }
      stage = EVASION_REST;
      goto rest;
    }
    case EVASION_FIRST: {
      stage = EVASION_REST;
      const Move hash = Srch.HashMoveAtPly[ply];
      slot = BestSlotWithout(list, hash, hash, hash);
      return slot >= 0 ? Take(list, slot) : 0;
    }
    default:
    rest:
      slot = BestSlot(list);
      return slot >= 0 ? Take(list, slot) : 0;
  }
}

void UpdateKillersAndHistory(Move move, int depth) {
  if (!IsQuiet(move) || move == 0) return;
  const int ply = Tree.Ply;
  if (move == Srch.Killer2[ply] || Srch.Killer1[ply] == 0) {
    Srch.Killer2[ply] = Srch.Killer1[ply];
    Srch.Killer1[ply] = move;
  } else if (move != Srch.Killer1[ply]) {
    Srch.Killer2[ply] = move;
  }
  AddHistory(Pos.SideToMove, move, depth);
}

void UpdateRootKillersAndHistory(Move move, int depth) {
  const int ply = Tree.Ply;
  if (move != Srch.Killer1[ply]) {
    Srch.Killer2[ply] = Srch.Killer1[ply];
    Srch.Killer1[ply] = move;
  }
  if (IsQuiet(move) && move != 0) AddHistory(Pos.SideToMove, move, depth);
}

void OrderRootMoves() {
  const int ply = Tree.Ply;
  PlyBuckets& buckets = Gen.RootBuckets[ply];
  Move moves[BUCKET_SIZE];
  int scores[BUCKET_SIZE];
  int n = 0;
  for (int b = 0; b < BUCKET_COUNT; b++)
    for (int i = 0; i < buckets.Count[b] && n < BUCKET_SIZE; i++) moves[n++] = buckets.Moves[b][i];

  const int multiPv = SearchConfig.MultiPvCount < 1 ? 1 : SearchConfig.MultiPvCount > MAX_MULTI_PV ? MAX_MULTI_PV
                                                                                             : SearchConfig.MultiPvCount;
  const Move killer1 = Srch.Killer1[ply], killer2 = Srch.Killer2[ply];
  for (int i = 0; i < n; i++) {
    const Move m = moves[i];
    const SavedState saved = SaveState();
    EnterChild(m);
    Descend();
    int score = -CaptureSearch(-MATE_SCORE, MATE_SCORE);
    Ascend();
    LeaveChild(m, saved);

    if (m == Srch.RootBestMove) {
      score = 10000;
    } else if (m == Srch.RootHashMove) {
      score = 9999;
    } else if (multiPv == 1) {
      if (m == killer1) score = 9998;
      else if (m == killer2) score = 9997;
    } else {
      bool inLines = false;
      for (int line = 1; line <= multiPv; line++) {
        if (m == MultiPv.MultiPvLine[line].FirstMove) {
          score = 9997 - line;
          inLines = true;
          break;
        }
      }
      if (!inLines && score < MATE_THRESHOLD) {
        if (m == killer1) score = 9699;
        else if (m == killer2) score = 9698;
      }
    }
    scores[i] = score;
  }

  // Exchange sort, best first: a later entry moves up only when strictly better.
  for (int i = 0; i < n; i++) {
    for (int j = i + 1; j < n; j++) {
      if (scores[j] > scores[i]) {
        const int s = scores[i];
        scores[i] = scores[j];
        scores[j] = s;
        const Move m = moves[i];
        moves[i] = moves[j];
        moves[j] = m;
      }
    }
  }

  for (int b = 0; b < BUCKET_COUNT; b++) buckets.Count[b] = 0;
  for (int i = 0; i < n; i++) buckets.Moves[0][i] = moves[i];
  buckets.Count[0] = static_cast<uint16_t>(n);
}
