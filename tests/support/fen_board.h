// Sets the global position from a FEN record for in-process tests, with the
// recompute operations only (independent of the engine's own FEN command).
#pragma once

#include <cstring>
#include <sstream>
#include <string>

#include "position/position.h"

namespace vtest {

inline void InitPositionTables() {
  static bool done = false;
  if (done) return;
  InitAttackTables();
  BuildQuietBuckets();
  done = true;
}

inline int FenPieceCode(char c) {
  const char* letters = "PNBRQKpnbrqk";
  const char* at = std::strchr(letters, c);
  if (!at || !c) return 0;
  int i = static_cast<int>(at - letters);
  return i < 6 ? i + 1 : BLACK_BIT + i - 5;
}

inline void LoadFen(const std::string& fen) {
  InitPositionTables();
  std::istringstream in(fen);
  std::string placement, side = "w", castle = "-", ep = "-";
  in >> placement >> side >> castle >> ep;
  std::memset(Pos.Board, 0, sizeof Pos.Board);
  int sq = 56;
  for (char c : placement) {
    if (c == '/') sq -= 16;
    else if (c >= '1' && c <= '8') sq += c - '0';
    else if (FenPieceCode(c)) Pos.Board[sq++] = static_cast<uint8_t>(FenPieceCode(c));
  }
  Pos.SideToMove = side == "w" ? WHITE : BLACK;
  Pos.CastleRights = 0;
  for (char c : castle) {
    if (c == 'K') Pos.CastleRights |= 1;
    if (c == 'Q') Pos.CastleRights |= 2;
    if (c == 'k') Pos.CastleRights |= 4;
    if (c == 'q') Pos.CastleRights |= 8;
  }
  Pos.EnPassantBB = ep.size() >= 2 ? 1ull << ((ep[0] - 'a') + 8 * (ep[1] - '1')) : 0;
  RecomputeBitboards();
  RecomputeRotated();
  RecomputeDiagonals();
  RecomputeKeys();
  Pos.ImbalanceKey = ComputeImbalanceKey();
  Tree.Ply = 1;
  Tree.MoveAtPly[1] = 0;
}

// The generated move of the current position whose coordinate text is coord
// (with the promotion letter when there is one), or 0.
inline Move FindGenerated(const std::string& coord) {
  Tree.Ply = 1;
  GenerateAll();
  const PlyBuckets& b = Gen.RootBuckets[1];
  for (int i = 0; i < BUCKET_COUNT; i++) {
    for (int j = 0; j < b.Count[i]; j++) {
      if (MoveToCoordString(b.Moves[i][j]) == coord) return b.Moves[i][j];
    }
  }
  return 0;
}

}  // namespace vtest
