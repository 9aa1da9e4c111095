// Search internals shared by the ordering, quiescence, alpha-beta and root
// files (not part of the search interface).
#pragma once

#include "eval/eval.h"
#include "position/position.h"
#include "search/search.h"

namespace search {

// History counters saturate here: far below the values that negative evasion
// scores take as unsigned numbers, and never wrapping to 0 when the picker
// adds its 1.
constexpr uint32_t HISTORY_LIMIT = 0x7FFFFFFFu;

inline int SideMaterial() { return Pos.SideToMove == WHITE ? Pos.Material : -Pos.Material; }

inline bool OwnKingAttacked() {
  const int us = Pos.SideToMove;
  return IsAttacked(Pos.KingSquare[us], us ^ 1);
}

inline bool EnemyKingAttacked() {
  const int us = Pos.SideToMove;
  return IsAttacked(Pos.KingSquare[us ^ 1], us);
}

// A pawn move to the seventh or the second rank (bits 9-14 hold the
// destination rank and the moving type).
inline bool IsSeventhRankPawnMove(Move m) {
  const Move bits = m & 0x7E00;
  return bits == 0x1C00 || bits == 0x1200;
}


// Depth left after a null move at this depth with u units of pieces.
inline int NullMoveDepth(int depth, int units) { return depth - ((depth > 360 || units <= 8) ? 240 : 180); }

// Extensions far below the iteration's nominal depth fade out and stop at
// four times that depth; check extensions are kept whole by the caller.
inline int TaperExtension(int e, int ply, int iterationDepth) {
  if (e <= 0 || ply <= 2 * iterationDepth) return e;
  if (4 * iterationDepth < ply) return 0;
  return e * (4 * iterationDepth - ply) / (2 * iterationDepth);
}

// The node's child: a full search with depth left, the capture search below it.
inline int Child(int alpha, int beta, int depth) {
  return depth >= ONE_PLY ? Search(alpha, beta, depth, 1) : CaptureSearch(alpha, beta);
}

// The entries a child probes first are asked of the memory as soon as its key
// is known, so that the legality and extension tests hide part of the wait.
[[gnu::always_inline]] inline void PrefetchChildEntries() {
  const HashKey key = FoldSide(Pos.Key, Pos.SideToMove ^ 1);
  const uint32_t index = KeyLow(key) & Tables.HashMask;
  __builtin_prefetch(&Tables.AlwaysReplaceTable[index]);
  __builtin_prefetch(&Tables.DepthPreferredTable[index]);
  __builtin_prefetch(&EvalCaches.EvalTable[KeyLow(Pos.Key) & EvalCaches.EvalHashMask]);
  __builtin_prefetch(&EvalCaches.PawnTable[KeyLow(Pos.PawnKey) & EvalCaches.PawnHashMask]);
}

// The evaluation-cache slot of the position after a capture, from the keys
// the capture changes before it is made, and the pawn entry when the pawns
// change. Castling and en passant changes are left out: the slots are only a
// hint to the memory.
[[gnu::always_inline]] inline void PrefetchEvaluationAfter(Move m) {
  const int us = Pos.SideToMove, to = MoveTo(m), captured = MoveCaptured(m);
  HashKey key = Pos.Key ^ MoveKeys[MoveKeyRow(us, MoveType(m))][MoveFromTo(m)];
  if (captured) key ^= Zobrist.PieceKeys[PieceKeyRow(PieceCodeOf(us ^ 1, captured))][to];
  if (Pos.EnPassantBB) key ^= Zobrist.EnPassantKeys[LowestSquare(Pos.EnPassantBB)];
  __builtin_prefetch(&EvalCaches.EvalTable[KeyLow(key) & EvalCaches.EvalHashMask]);
  HashKey pawnKey = Pos.PawnKey;
  if (MoveType(m) == PAWN) {
    pawnKey ^= MoveKeys[PawnMoveKeyRow(us)][MoveFromTo(m)];
    if (MovePromotion(m)) pawnKey ^= Zobrist.PawnKeys[us][to];
  }
  if (captured == PAWN) pawnKey ^= Zobrist.PawnKeys[us ^ 1][to];
  if (pawnKey != Pos.PawnKey) __builtin_prefetch(&EvalCaches.PawnTable[KeyLow(pawnKey) & EvalCaches.PawnHashMask]);
}

// Into the child position and back out, with the caller's share of make/unmake.
inline void EnterChild(Move move) {
  Tree.MoveAtPly[Tree.Ply + 1] = move;
  MakeMove(move);
}
inline void Descend() {
  Tree.Ply++;
  Pos.SideToMove ^= 1;
}
inline void Ascend() {
  Tree.Ply--;
  Pos.SideToMove ^= 1;
}
inline void LeaveChild(Move move, const SavedState& saved) {
  UnmakeMove(move);
  RestoreState(saved);
}

// Ends the line of the current ply: the node found nothing to add.
inline void EndPvHere() { Srch.PvTable[Tree.Ply][Tree.Ply] = 0; }

// The best move of the node followed by the line of its child.
inline void UpdatePv(Move best) {
  const int ply = Tree.Ply;
  Move* row = Srch.PvTable[ply];
  const Move* child = Srch.PvTable[ply + 1];
  Srch.PvTable[ply + 1][ply] = best;
  int col = ply;
  for (; col < PV_SIZE - 1; col++) {
    row[col] = child[col];
    if (child[col] == 0) return;
  }
  row[col] = 0;
}

// The side-to-move evaluation with a window of that side.
inline int EvaluateSide(int alpha, int beta) { return EvaluateForSide(alpha, beta); }

// Writes line records for the MultiPV report and keeps WorstMultiPvScore.
void RecordMultiPvLine(int index, Move move, int score, int depth);

}  // namespace search
