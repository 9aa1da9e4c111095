// Fuzz target: FEN set-up on arbitrary bytes. A position the set-up accepts
// must be whole (every redundant part agrees with a fresh recompute), must
// survive a short perft with make and unmake, and must be evaluated.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "eval/eval.h"
#include "fuzz_support.h"
#include "position/position.h"
#include "tools/tools.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckConsistent() {
  const PositionRecord now = Pos;
  RecomputeBitboards();
  RecomputeRotated();
  RecomputeDiagonals();
  RecomputeKeys();
  Check(std::memcmp(Pos.PieceBB, now.PieceBB, sizeof Pos.PieceBB) == 0);
  Check(Pos.AllOcc == now.AllOcc && Pos.WhiteOcc == now.WhiteOcc && Pos.BlackOcc == now.BlackOcc);
  Check(Pos.RotatedOcc == now.RotatedOcc);
  Check(Pos.Key == now.Key && Pos.PawnKey == now.PawnKey);
  Check(Pos.ImbalanceKey == ComputeImbalanceKey());
  Check(Pos.KingSquare[WHITE] < 64 && Pos.Board[Pos.KingSquare[WHITE]] == KING);
  Check(Pos.KingSquare[BLACK] < 64 && Pos.Board[Pos.KingSquare[BLACK]] == BLACK_BIT + KING);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vfuzz::QuietEngine();
  StartEngine();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line = "setboard " + std::string(reinterpret_cast<const char*>(data), size);
  const PositionRecord before = Pos;
  if (!SetupFen(line.c_str(), 1, true)) {
    // A refused FEN leaves the position as it was.
    Check(std::memcmp(Pos.Board, before.Board, sizeof Pos.Board) == 0);
    Check(Pos.Key == before.Key && Pos.SideToMove == before.SideToMove);
    Check(Pos.CastleRights == before.CastleRights && Pos.EnPassantBB == before.EnPassantBB);
    return 0;
  }
  CheckConsistent();
  const PositionRecord set = Pos;
  Perft(2);
  PerftSearchPath(2);
  Check(std::memcmp(Pos.Board, set.Board, sizeof Pos.Board) == 0);
  Check(Pos.Key == set.Key && Pos.PawnKey == set.PawnKey && Pos.SideToMove == set.SideToMove);
  CheckConsistent();
  Evaluate(-10000, 10000);
  return 0;
}
