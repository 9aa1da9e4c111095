// Pawn structure, passed pawns, the pawn-ending king race and the shelter bytes.
#include "eval_test_util.h"

namespace {

using evaltest::EvalTest;
using evaltest::FreshPawnEntry;
using evaltest::SetPosition;

constexpr Bitboard Bit(int sq) { return 1ull << sq; }

TEST_F(EvalTest, StartPositionPawnsCancel) {
  SetPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  const PawnHashEntry& e = FreshPawnEntry();
  EXPECT_EQ(e.Score, 0);
  EXPECT_EQ(e.PassedSet, 0u);
  EXPECT_EQ(e.PawnFiles[0], 0xFF);
  EXPECT_EQ(e.PawnFiles[1], 0xFF);
  for (int i = 0; i < 4; i++) EXPECT_EQ(e.ShelterWeakness[i], 0) << i;
}

TEST_F(EvalTest, SinglePawnTerms) {
  // e4 alone against nothing: square bonus 11, isolated -12, passed 32 (rank
  // index 3), no +15 since isolated.
  SetPosition("4k3/8/8/8/4P3/8/8/4K3 w - -");
  EXPECT_EQ(FreshPawnEntry().Score, 11 - 12 + 32);
  EXPECT_EQ(Ev.PawnEntry->PassedSet, Bit(E4));
  // Against a Black pawn on e5: isolated and blocked (-12 more), not passed;
  // the -10 for a weak pawn on a file without enemy pawns does not apply.
  // Black's pawn is the mirror image.
  SetPosition("4k3/8/8/4p3/4P3/8/8/4K3 w - -");
  EXPECT_EQ(FreshPawnEntry().Score, 0);
  EXPECT_EQ(Ev.PawnEntry->PassedSet, 0u);
}

TEST_F(EvalTest, DoubledPassedPawns) {
  // e3 and e5: the front pawn gets the full bonus and enters the passed set,
  // the rear one half of its own rank's bonus; both -5 for the doubling.
  SetPosition("4k3/8/8/4P3/8/4P3/8/4K3 w - -");
  const PawnHashEntry& e = FreshPawnEntry();
  EXPECT_EQ(e.PassedSet, Bit(E5));
  const int rear = 8 - 12 - 5 + 16 / 2;  // e3: square, isolated, doubled, half of rank index 2
  const int front = 11 - 12 - 5 + 60;   // e5: square, isolated, doubled, full bonus
  EXPECT_EQ(e.Score, rear + front);
}

TEST_F(EvalTest, ConnectedPassedPawns) {
  // d5 and e5 side by side: each passed (60), not isolated (+15), duo (+2
  // and +14); no backward penalty since the neighbour is level.
  SetPosition("4k3/8/8/3PP3/8/8/8/4K3 w - -");
  const PawnHashEntry& e = FreshPawnEntry();
  EXPECT_EQ(e.PassedSet, Bit(D5) | Bit(E5));
  EXPECT_EQ(e.Score, 2 * (11 + 60 + 15 + 2 + 14));
  // One pawn a rank behind: d4 is passed but backward (no friendly pawn level
  // or behind on c or e), e5 passed; neither is a duo.
  SetPosition("4k3/8/8/4P3/3P4/8/8/4K3 w - -");
  EXPECT_EQ(FreshPawnEntry().Score, (11 - 3 + 32 + 15) + (11 + 60 + 15));
}

TEST_F(EvalTest, WeakPawnsAndTheStopSquare) {
  // A White pawn on d4 whose stop square d5 a Black pawn on e6 attacks, and
  // that Black pawn's stop square e5 attacked in turn.
  SetPosition("4k3/8/4p3/8/3P4/8/8/4K3 w - -");
  const PawnHashEntry& e = FreshPawnEntry();
  // White d4: square 11, isolated -12, stop square d5 attacked by e6 once
  // and defended by none: -12; not passed, no Black pawn on the d-file ahead
  // and undefended: -10 and -10 more as isolated.
  const int white = 11 - 12 - 12 - 10 - 10;
  // Black e6 the same way with the opposite sign (its square bonus is the
  // mirror of e3).
  const int black = -Weights.PawnSquareBonus[BLACK][E6] + 12 + 12 + 10 + 10;
  EXPECT_EQ(e.Score, white + black);
  EXPECT_EQ(e.PassedSet, 0u);
}

TEST_F(EvalTest, PassedPawnKingSupport) {
  // g7 with g8 empty, White king h7, Black king e7, a Black knight: +130
  // king support and +150.
  SetPosition("8/4k1PK/8/8/8/8/8/n7 w - -");
  FreshPawnEntry();
  ASSERT_EQ(Ev.PawnEntry->PassedSet, Bit(G7));
  EXPECT_EQ(PassedPawnTerms(), 130 + 150);
  // Black king on f6 guards the promotion path: no +150.
  SetPosition("8/6PK/5k2/8/8/8/8/n7 w - -");
  FreshPawnEntry();
  EXPECT_EQ(PassedPawnTerms(), 130);
  // The same for Black, mirrored and negated.
  SetPosition("N7/8/8/8/8/8/4K1pk/8 b - -");
  FreshPawnEntry();
  EXPECT_EQ(PassedPawnTerms(), -(130 + 150));
}

TEST_F(EvalTest, PassedPawnBlockadeRooksAndOutsidePassers) {
  // a5 passer blocked by a Black knight on a6, White rook a1 behind it
  // (+20, the stop square is taken), Black pawns on c7 and d7 only: the
  // a-pawn is an outside passer (OutsidePasserBonus[3]); c2 and d2 keep
  // those Black pawns from being passed themselves.
  SetPosition("4k3/2pp4/n7/P7/8/8/2PP4/R3K3 w - -");
  FreshPawnEntry();
  ASSERT_EQ(Ev.PawnEntry->PassedSet, Bit(A5));
  EXPECT_EQ(PassedPawnTerms(), -Weights.BlockedPasserPenalty[4] + 20 + Weights.OutsidePasserBonus[3]);
  // A Black rook behind it instead: -40. A Black pawn on b4 (held by c2)
  // leaves the a-pawn passed but not an outside passer.
  SetPosition("4k3/8/8/P7/1p6/8/2P5/r3K3 w - -");
  FreshPawnEntry();
  ASSERT_EQ(Ev.PawnEntry->PassedSet, Bit(A5));
  EXPECT_EQ(PassedPawnTerms(), -40);
}

TEST_F(EvalTest, PawnEndingKingRace) {
  // White king on e4 between the Black king on a4 and the pawns on g and h:
  // the rule depends on the side to move.
  SetPosition("8/8/8/6pp/k3K3/8/6PP/8 w - -");
  FreshPawnEntry();
  EXPECT_EQ(PawnEndingKings(), 150);
  // Bare kings: no pawn files, lo 7 and hi 0.
  SetPosition("8/8/8/8/8/8/8/K1k5 w - -");
  FreshPawnEntry();
  EXPECT_EQ(PawnEndingKings(), -150);
  SetPosition("8/8/8/8/8/8/8/Kk6 w - -");
  FreshPawnEntry();
  EXPECT_EQ(PawnEndingKings(), 0);
  SetPosition("8/8/8/8/8/8/8/Kk6 b - -");
  FreshPawnEntry();
  EXPECT_EQ(PawnEndingKings(), -150);
}

TEST_F(EvalTest, ShelterBytes) {
  // White castled short with f2 g2 h2, Black's king side h7 g6 f7.
  SetPosition("6k1/5p1p/6p1/8/8/8/5PPP/6K1 w - -");
  const PawnHashEntry& e = FreshPawnEntry();
  const uint32_t open = EvalTables.ShelterFileTable[e.PawnFiles[0]][e.PawnFiles[1]];
  // Queen sides: a, b, c all open for both: 11 + the six increments (7).
  EXPECT_EQ(e.ShelterWeakness[0], 11 + 7);
  EXPECT_EQ(e.ShelterWeakness[2], 11 + 7);
  EXPECT_EQ(e.ShelterWeakness[1], static_cast<uint8_t>(open >> 8));
  // g7 empty: +2, g6 holds a pawn so no further +1.
  EXPECT_EQ(e.ShelterWeakness[3], static_cast<uint8_t>((open >> 24) + 2));
  // Fianchetto-like cover g3 with h3: -1 after the increments g2 (+2), h2 (+1).
  SetPosition("6k1/5ppp/8/8/8/6PP/5P2/6K1 w - -");
  const PawnHashEntry& f = FreshPawnEntry();
  EXPECT_EQ(f.ShelterWeakness[1], 2 + 1 - 1);
}

TEST_F(EvalTest, ShelterByteWrapsAndTheDangerIndexStaysInRange) {
  // Doubled a-, b- and c-pawns on closed files: nothing missing on the second
  // rank, b3 with a3: the -1 takes the byte below zero.
  SetPosition("1k6/ppp5/8/8/8/PPP5/PPP5/1K6 w - -");
  const PawnHashEntry& e = FreshPawnEntry();
  EXPECT_EQ(e.ShelterWeakness[0], 255);
  EXPECT_EQ(EvalTables.KingDangerBase[WHITE][B1], 0);
  EXPECT_EQ(DangerIndex(255), 0);
  EXPECT_EQ(DangerIndex(0 + 255 + 4), 3);  // a base of 4 absorbs the -1
  EXPECT_EQ(DangerIndex(127), 63);
  EXPECT_EQ(DangerIndex(35), 35);
}

TEST_F(EvalTest, PawnlessBoardNeverReadsAClearedEntry) {
  // A cleared pawn entry has key 0, the key of a board without pawns; its
  // file and shelter bytes are not cleared and must not be taken for that board.
  Tables.PawnTable[0].PawnFiles[0] = 0x55;
  Tables.PawnTable[0].ShelterWeakness[1] = 200;
  ClearEvalCaches();
  SetPosition("4k3/8/8/8/8/8/8/R3K3 w - -");
  ASSERT_EQ(Pos.PawnKey, 0u);
  EXPECT_EQ(PawnStructure(), 0);
  EXPECT_EQ(Ev.PawnEntry->PawnFiles[0], 0);
  EXPECT_EQ(Ev.PawnEntry->ShelterWeakness[1], 18);
}

TEST_F(EvalTest, PawnsOnTheBackRanksAreIgnored) {
  // Not a legal position, but the edit command can build one.
  SetPosition("P3k3/8/8/8/8/8/8/4K2p w - -");
  EXPECT_EQ(FreshPawnEntry().Score, 0);
}

}  // namespace
