// Perft over the engine's own generators and make/unmake, following the
// caller's side of the make/unmake contract exactly as the search does.
#include <cstdio>

#include "position/position.h"
#include "tools/tools.h"

namespace {

// Per-ply arrays are written one ply ahead of the node, so the tree may not
// reach beyond MAX_PLY plies from the root at ply 1.
int ClampDepth(int depth) { return depth > MAX_PLY ? MAX_PLY : depth; }

inline void MakeAtPly(Move move) {
  Tree.MoveAtPly[Tree.Ply + 1] = move;
  MakeMove(move);
}

inline bool OwnKingSafe() {
  const int us = Pos.SideToMove;
  return !IsAttacked(Pos.KingSquare[us], us ^ 1);
}

// Makes `move` at the current ply; true when it does not leave the mover's
// king attacked. The caller unmakes either way.
inline bool MakeLegal(Move move) {
  MakeAtPly(move);
  return OwnKingSafe();
}

inline void EnterChild() {
  Pos.SideToMove ^= 1;
  Tree.Ply++;
}

inline void LeaveChild() {
  Tree.Ply--;
  Pos.SideToMove ^= 1;
}

uint64_t GeneratorNode(int depth) {
  GenerateAll();
  const PlyBuckets& buckets = Gen.RootBuckets[Tree.Ply];
  uint64_t nodes = 0;
  for (int b = 0; b < BUCKET_COUNT; b++) {
    for (int i = 0; i < buckets.Count[b]; i++) {
      const Move move = buckets.Moves[b][i];
      const SavedState saved = SaveState();
      if (MakeLegal(move)) {
        if (depth == 1) {
          nodes++;
        } else {
          EnterChild();
          nodes += GeneratorNode(depth - 1);
          LeaveChild();
        }
      }
      UnmakeMove(move);
      RestoreState(saved);
    }
  }
  return nodes;
}

uint64_t SearchPathNode(int depth);

// Plays one move on the search's path; `trusted` skips the legality test
// (evasions). Records the child's check state as the search does.
inline uint64_t SearchPathMove(Move move, int depth, bool trusted) {
  uint64_t nodes = 0;
  const SavedState saved = SaveState();
  MakeAtPly(move);
  if (trusted || OwnKingSafe()) {
    const int us = Pos.SideToMove;
    if (depth == 1) {
      nodes = 1;
    } else {
      Tree.InCheckAtPly[Tree.Ply + 1] = IsAttacked(Pos.KingSquare[us ^ 1], us) ? 1 : 0;
      EnterChild();
      nodes = SearchPathNode(depth - 1);
      LeaveChild();
    }
  }
  UnmakeMove(move);
  RestoreState(saved);
  return nodes;
}

uint64_t SearchPathNode(int depth) {
  const int ply = Tree.Ply;
  PlyMoveList& list = Gen.MoveList[ply];
  uint64_t nodes = 0;
  if (Tree.InCheckAtPly[ply]) {
    GenerateEvasions();
    for (int i = 0; i < list.End; i++) nodes += SearchPathMove(list.Moves[i], depth, true);
    return nodes;
  }
  // GenerateQuiet reuses the list, so the captures are played out first.
  GenerateCaptures();
  for (int i = 0; i < list.End; i++) nodes += SearchPathMove(list.Moves[i], depth, false);
  GenerateQuiet();
  for (int i = 0; i < list.End; i++) nodes += SearchPathMove(list.Moves[i], depth, false);
  return nodes;
}

// Runs fn at Ply 1 and puts Ply back afterwards.
template <typename Fn>
uint64_t AtRoot(Fn fn) {
  const int savedPly = Tree.Ply;
  Tree.Ply = 1;
  const uint64_t nodes = fn();
  Tree.Ply = savedPly;
  return nodes;
}

}  // namespace

uint64_t Perft(int depth) {
  if (depth <= 0) return 1;
  depth = ClampDepth(depth);
  return AtRoot([depth] { return GeneratorNode(depth); });
}

uint64_t PerftSearchPath(int depth) {
  if (depth <= 0) return 1;
  depth = ClampDepth(depth);
  return AtRoot([depth] {
    const int us = Pos.SideToMove;
    Tree.InCheckAtPly[1] = IsAttacked(Pos.KingSquare[us], us ^ 1) ? 1 : 0;
    return SearchPathNode(depth);
  });
}

uint64_t PerftDivide(int depth) {
  uint64_t total = 0;
  if (depth <= 0) {
    total = 1;
  } else {
    depth = ClampDepth(depth);
    total = AtRoot([depth] {
      GenerateAll();
      // The children generate into deeper plies only: the root's buckets stay.
      const PlyBuckets& buckets = Gen.RootBuckets[1];
      uint64_t sum = 0;
      for (int b = 0; b < BUCKET_COUNT; b++) {
        for (int i = 0; i < buckets.Count[b]; i++) {
          const Move move = buckets.Moves[b][i];
          const SavedState saved = SaveState();
          if (MakeLegal(move)) {
            uint64_t count = 1;
            if (depth > 1) {
              EnterChild();
              count = GeneratorNode(depth - 1);
              LeaveChild();
            }
            char text[6];
            MoveToCoord(move, text);
            std::printf("%s: %llu\n", text, static_cast<unsigned long long>(count));
            std::fflush(stdout);
            sum += count;
          }
          UnmakeMove(move);
          RestoreState(saved);
        }
      }
      return sum;
    });
  }
  std::printf("\nNodes searched: %llu\n", static_cast<unsigned long long>(total));
  std::fflush(stdout);
  return total;
}
