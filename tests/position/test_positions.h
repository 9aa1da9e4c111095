// Positions and set-up helpers shared by the move generation tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "frontend/frontend.h"
#include "position/position.h"

namespace vtest {

struct PerftCase {
  const char* Fen;
  int Depth;
  uint64_t Nodes;
};

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* KIWIPETE_FEN = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";
constexpr const char* ENDGAME_FEN = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -";
constexpr const char* PROMOTIONS_FEN = "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1";
constexpr const char* CHECKS_FEN = "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8";
constexpr const char* MIDDLEGAME_FEN = "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10";

inline const std::vector<const char*>& SixPositions() {
  static const std::vector<const char*> positions = {START_FEN,      KIWIPETE_FEN, ENDGAME_FEN,
                                                     PROMOTIONS_FEN, CHECKS_FEN,   MIDDLEGAME_FEN};
  return positions;
}

// Positions built around en passant, castling, promotion and check subtleties.
inline const std::vector<const char*>& TrickyPositions() {
  static const std::vector<const char*> positions = {
      "3k4/3p4/8/K1P4r/8/8/8/8 b - - 0 1",
      "8/8/4k3/8/2p5/8/B2P2K1/8 w - - 0 1",
      "8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1",
      "5k2/8/8/8/8/8/8/4K2R w K - 0 1",
      "3k4/8/8/8/8/8/8/R3K3 w Q - 0 1",
      "r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1",
      "r3k2r/8/3Q4/8/8/5q2/8/R3K2R b KQkq - 0 1",
      "2K2r2/4P3/8/8/8/8/8/3k4 w - - 0 1",
      "8/8/1P2K3/8/2n5/1q6/8/5k2 b - - 0 1",
      "4k3/1P6/8/8/8/8/K7/8 w - - 0 1",
      "8/P1k5/K7/8/8/8/8/8 w - - 0 1",
      "K1k5/8/P7/8/8/8/8/8 w - - 0 1",
      "8/k1P5/8/1K6/8/8/8/8 w - - 0 1",
      "8/8/2k5/5q2/5n2/8/5K2/8 b - - 0 1",
      "8/8/8/2k5/3Pp3/8/8/4K3 b - d3 0 1",
  };
  return positions;
}

// Sets the position as UCI would; the tables are built on first use.
inline bool SetFen(const std::string& fen) {
  InitAttackTables();
  Tree.Ply = 1;
  return SetupFen(("position fen " + fen).c_str(), 2, false);
}

inline void MustSetFen(const std::string& fen) { ASSERT_TRUE(SetFen(fen)) << fen; }

inline std::vector<Move> BucketMoves() {
  std::vector<Move> moves;
  const PlyBuckets& b = Gen.RootBuckets[Tree.Ply];
  for (int i = 0; i < BUCKET_COUNT; i++)
    for (int j = 0; j < b.Count[i]; j++) moves.push_back(b.Moves[i][j]);
  return moves;
}

inline std::vector<Move> ListMoves() {
  const PlyMoveList& list = Gen.MoveList[Tree.Ply];
  return std::vector<Move>(list.Moves, list.Moves + list.End);
}

inline std::vector<Move> AllMoves() {
  GenerateAll();
  return BucketMoves();
}

inline std::vector<Move> Sorted(std::vector<Move> moves) {
  std::sort(moves.begin(), moves.end());
  return moves;
}

// Makes the move with the caller's bookkeeping; true when it is legal. The
// move is always unmade and the state restored before returning.
inline bool IsLegal(Move move) {
  const SavedState saved = SaveState();
  Tree.MoveAtPly[Tree.Ply + 1] = move;
  MakeMove(move);
  const int us = Pos.SideToMove;
  const bool legal = !IsAttacked(Pos.KingSquare[us], us ^ 1);
  UnmakeMove(move);
  RestoreState(saved);
  return legal;
}

inline std::vector<Move> LegalMoves() {
  std::vector<Move> legal;
  for (Move m : AllMoves())
    if (IsLegal(m)) legal.push_back(m);
  return legal;
}

inline bool InCheck() { return IsAttacked(Pos.KingSquare[Pos.SideToMove], Pos.SideToMove ^ 1); }

// Plays a legal move one ply down the tree, as the search does.
struct Child {
  Move Played;
  SavedState Saved;
  explicit Child(Move move) : Played(move), Saved(SaveState()) {
    Tree.MoveAtPly[Tree.Ply + 1] = move;
    MakeMove(move);
    Pos.SideToMove ^= 1;
    Tree.Ply++;
  }
  ~Child() {
    Tree.Ply--;
    Pos.SideToMove ^= 1;
    UnmakeMove(Played);
    RestoreState(Saved);
  }
};

inline std::string Coord(Move m) { return MoveToCoordString(m); }

}  // namespace vtest
