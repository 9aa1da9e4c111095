// Shared set-up for the evaluation tests: small tables, fresh weights, and
// positions written as FEN text straight onto the board.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "eval/eval_internal.h"
#include "frontend/frontend.h"
#include "search/search.h"

namespace evaltest {

// Small tables so that clearing them between positions costs little.
inline void AllocateSmallTables() {
  SearchConfig.HashSize = 1u << 20;
  SearchConfig.EvalHashSize = 64u << 10;
  SearchConfig.PawnHashSize = 24u * 2048;
  ASSERT_EQ(AllocateTableBlocks(), 0);
}

// Compiled-in weights, every start-up table, empty caches, a new game.
inline void FreshEvaluation() {
  AllocateSmallTables();
  History.HasSetupStart = false;
  ResetEvalTables();
  ClearHashTables();
  InitEvalTables();
  Ev.LazyMargin = LAZY_MARGIN_START;
  Tree.Ply = 1;
}

// Places "placement side castling ep" on the board and recomputes every
// derived field (the halfmove and move numbers may follow and are ignored).
inline void SetPosition(const std::string& fen) {
  std::memset(Pos.Board, 0, sizeof Pos.Board);
  size_t i = 0;
  int rank = 7, file = 0;
  for (; i < fen.size() && fen[i] != ' '; i++) {
    char c = fen[i];
    if (c == '/') {
      rank--;
      file = 0;
    } else if (c >= '1' && c <= '8') {
      file += c - '0';
    } else {
      const char* letters = "pnbrqk";
      const char* hit = std::strchr(letters, c | 0x20);
      ASSERT_NE(hit, nullptr) << fen;
      int type = static_cast<int>(hit - letters) + 1;
      Pos.Board[SquareAt(rank, file)] = static_cast<uint8_t>((c >= 'a') ? BLACK_BIT + type : type);
      file++;
    }
  }
  std::string side = "w", castling = "-", ep = "-";
  size_t p = fen.find_first_not_of(' ', i);
  auto nextField = [&](std::string& out) {
    if (p == std::string::npos || p >= fen.size()) return;
    size_t end = fen.find(' ', p);
    out = fen.substr(p, end == std::string::npos ? std::string::npos : end - p);
    p = end == std::string::npos ? end : fen.find_first_not_of(' ', end);
  };
  nextField(side);
  nextField(castling);
  nextField(ep);
  RecomputeBitboards();
  RecomputeRotated();
  RecomputeDiagonals();
  Pos.SideToMove = side == "b" ? BLACK : WHITE;
  Pos.CastleRights = 0;
  for (char c : castling) {
    if (c == 'K') Pos.CastleRights |= 1;
    if (c == 'Q') Pos.CastleRights |= 2;
    if (c == 'k') Pos.CastleRights |= 4;
    if (c == 'q') Pos.CastleRights |= 8;
  }
  Pos.EnPassantBB = ep == "-" ? 0 : 1ull << SquareAt(ep[1] - '1', ep[0] - 'a');
  Pos.ImbalanceKey = ComputeImbalanceKey();
  RecomputeKeys();
}

// The colour-flipped twin of the current position: ranks mirrored, colours
// swapped, castling rights and en passant swapped, the other side to move.
inline void FlipColours() {
  uint8_t board[64];
  for (int s = 0; s < 64; s++) {
    int code = Pos.Board[s];
    board[s ^ 56] = static_cast<uint8_t>(code ? code ^ BLACK_BIT : 0);
  }
  std::memcpy(Pos.Board, board, sizeof board);
  int rights = Pos.CastleRights;
  Pos.CastleRights = static_cast<uint8_t>(((rights & 3) << 2) | ((rights >> 2) & 3));
  Pos.EnPassantBB = Pos.EnPassantBB ? 1ull << (LowestSquare(Pos.EnPassantBB) ^ 56) : 0;
  Pos.SideToMove = static_cast<uint8_t>(Pos.SideToMove ^ 1);
  RecomputeBitboards();
  RecomputeRotated();
  RecomputeDiagonals();
  Pos.ImbalanceKey = ComputeImbalanceKey();
  RecomputeKeys();
}

// A full-window evaluation with both caches emptied first.
inline int FreshEvaluate() {
  ClearEvalCaches();
  return Evaluate(-10000, 10000);
}

// The current pawn entry after a fresh pawn evaluation.
inline const PawnHashEntry& FreshPawnEntry() {
  ClearEvalCaches();
  PawnStructure();
  return *Ev.PawnEntry;
}

class EvalTest : public ::testing::Test {
 protected:
  void SetUp() override { FreshEvaluation(); }
};

}  // namespace evaltest
