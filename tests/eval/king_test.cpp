// King shelter, the castling bonus, endgame king tables and the attack product.
#include "eval_test_util.h"

namespace {

using evaltest::EvalTest;
using evaltest::FreshPawnEntry;
using evaltest::SetPosition;

int Shelter(const char* fen) {
  SetPosition(fen);
  FreshPawnEntry();
  return KingShelter();
}

TEST_F(EvalTest, ShelterOfTheStartPosition) {
  EXPECT_EQ(Shelter("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"), 0);
  EXPECT_EQ(Ev.KingDanger[WHITE], 4);
  EXPECT_EQ(Ev.KingDanger[BLACK], 4);
  // Without queens both indices are halved.
  Shelter("rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR w KQkq -");
  EXPECT_EQ(Ev.KingDanger[WHITE], 2);
  EXPECT_EQ(Ev.KingDanger[BLACK], 2);
}

TEST_F(EvalTest, CastledKingAgainstAnUncastledOne) {
  // White castled on g1 behind f2 g2 h2 (danger 0); Black on e8 keeps both
  // rights (danger 4): castling bonus -30.
  int score = Shelter("r2qk2r/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1RK1 w kq -");
  EXPECT_EQ(Ev.KingDanger[WHITE], 0);
  EXPECT_EQ(Ev.KingDanger[BLACK], 4);
  EXPECT_EQ(score, Weights.KingSafetyTable[4] - Weights.KingSafetyTable[0] - 30);
}

TEST_F(EvalTest, OpenCentreAndShelterWeakness) {
  // Black king on e8 with the d- and e-files open: 4 + 2 + 4.
  Shelter("rnbqkbnr/ppp2ppp/8/8/8/8/PPP2PPP/RNBQKBNR w KQkq -");
  EXPECT_EQ(Ev.KingDanger[BLACK], 4 + 2 + 4);
  EXPECT_EQ(Ev.KingDanger[WHITE], 4 + 2 + 4);
  // A wrapped shelter byte on a zero base reads as no danger.
  Shelter("1k1q4/ppp5/8/8/8/PPP5/PPP5/1K1Q4 w - -");
  EXPECT_EQ(Ev.KingDanger[WHITE], 0);
  EXPECT_LE(Ev.KingDanger[BLACK], 63);
}

TEST_F(EvalTest, EndgameKingTablesFollowThePawns) {
  SetPosition("8/8/8/4k3/8/8/6PP/4K3 w - -");  // pawns on the king side only
  FreshPawnEntry();
  EXPECT_EQ(KingPlacementTerms(), -30 - 30);
  SetPosition("8/8/8/4k3/8/8/PP6/4K3 w - -");  // queen side only
  FreshPawnEntry();
  EXPECT_EQ(KingPlacementTerms(),
            Weights.KingEndgameQueenSide[WHITE][E1] - Weights.KingEndgameQueenSide[WHITE][E4]);
  SetPosition("8/8/8/4k3/8/8/P6P/4K3 w - -");  // both wings
  FreshPawnEntry();
  EXPECT_EQ(KingPlacementTerms(), -20 - 30);
  SetPosition("8/8/8/4k3/8/8/8/R3K3 w - -");   // no pawns
  FreshPawnEntry();
  EXPECT_EQ(KingPlacementTerms(), 0);
}

TEST_F(EvalTest, KingAttackProduct) {
  Ev.KingAttack[BLACK] = 27;
  Ev.KingDanger[BLACK] = 20;
  Ev.KingAttack[WHITE] = -8;
  Ev.KingDanger[WHITE] = 0;
  EXPECT_EQ(KingAttackProduct(), (180 * 25 >> 4) - (-25));
  Ev.KingAttack[BLACK] = 119;
  Ev.KingDanger[BLACK] = 0;
  Ev.KingAttack[WHITE] = -1;
  Ev.KingDanger[WHITE] = 4;
  // -5 x 17 = -85, shifted arithmetically: -6.
  EXPECT_EQ(KingAttackProduct(), 180 + 6);
}

TEST_F(EvalTest, EndgameLeavesTheKingsWithoutDanger) {
  SetPosition("4k3/pppppppp/8/8/8/8/PPPPPPPP/R3K3 w - -");
  evaltest::FreshEvaluate();
  EXPECT_EQ(Ev.EndgamePhase, 1);
  EXPECT_EQ(Ev.KingDanger[WHITE], 0);
  EXPECT_EQ(Ev.KingDanger[BLACK], 0);
}

}  // namespace
