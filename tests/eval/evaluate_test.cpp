// The evaluation terms on hand-built positions, as one table: the position and
// the terms read there with the values expected (or a bound). The terms are
// read the way the driver computes them, the pawn entry first and the king
// dangers before the pieces; every term that is White's gain less Black's must
// also come out negated for the colour-flipped twin. Then whole evaluations
// along random legal games: a position and its colour-flipped twin score the
// negated value, also when the twin's score comes from caches filled by every
// position before it.
#include <cstdlib>
#include <vector>

#include "eval/eval_internal.h"
#include "position/positions.h"

namespace {

enum Term {
  EVAL, EVAL_ABOVE, EVAL_BELOW, EVAL_NOT, FOR_SIDE, PAWNS, PASSED, RACE, SHELTER, PLACEMENT, PIECES, BISHOP_PAIR,
  TRAPPED, SHUT_IN, DEVELOPMENT, MOP_UP,  // the terms that change sign with the colours
  DANGER_WHITE, DANGER_BLACK, PIECES_DANGERS, ATTACK_ON_BLACK, BISHOP_COLOURS, OPPOSITE_BISHOPS,
  NO_PAWNS
};

struct Expect {
  Term Read;
  int Value;    // or the bound, for EVAL_ABOVE, EVAL_BELOW and EVAL_NOT
  int Arg = 0;  // the score handed to a scaling, or the king dangers as White * 100 + Black
};

int Read(const Expect& x) {
  ClearEvalCaches();
  switch (x.Read) {
    case EVAL: case EVAL_ABOVE: case EVAL_BELOW: case EVAL_NOT: return Evaluate(-10000, 10000);
    case FOR_SIDE: return EvaluateForSide(-10000, 10000);
    case TRAPPED: return TrappedPieceTerms();
    case SHUT_IN: return RookShutInTerms();
    case DEVELOPMENT: return DevelopmentTerms();
    case MOP_UP: return PawnlessMopUp();
    case NO_PAWNS: return NoPawnsScale(x.Arg);
    default: break;
  }
  const int pawns = PawnStructure();
  if (x.Read == PAWNS) return pawns;
  if (x.Read == PASSED) return PassedPawnTerms();
  if (x.Read == RACE) return PawnEndingKings();
  if (x.Read == PLACEMENT) return KingPlacementTerms();
  const int shelter = KingShelter();
  if (x.Read == SHELTER) return shelter;
  if (x.Read == DANGER_WHITE || x.Read == DANGER_BLACK) return Ev.KingDanger[x.Read == DANGER_WHITE ? WHITE : BLACK];
  const int dangers = x.Read == PIECES_DANGERS ? x.Arg : 0;
  Ev.KingDanger[WHITE] = static_cast<uint8_t>(dangers / 100);
  Ev.KingDanger[BLACK] = static_cast<uint8_t>(dangers % 100);
  const int pieces = PieceTerms();
  if (x.Read == ATTACK_ON_BLACK) return Ev.KingAttack[BLACK];
  if (x.Read == BISHOP_COLOURS) return Ev.BishopColours;
  if (x.Read == BISHOP_PAIR) return BishopPairTerms();
  if (x.Read == OPPOSITE_BISHOPS) return OppositeBishopsScale(x.Arg);
  return pieces;
}

const char* const kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
const char* const kOppositeBishops = "4k3/2p5/3b4/8/8/3B4/2P1P3/4K3 w - -";  // White light, Black dark, a pawn up
const int kQueenAlone = 900 - 14 + 120 + 2 - 20 - 42;  // material, a1, imbalance, tropism, mop-up

const std::pair<const char*, std::vector<Expect>> kCases[] = {
    {kStart, {{EVAL, 0}, {PAWNS, 0}, {SHELTER, 0}, {DANGER_WHITE, 4}, {DANGER_BLACK, 4}, {TRAPPED, 0}, {SHUT_IN, 0}}},
    {kStart, {{DEVELOPMENT, 0}}},  // -24 - 12 for White's bishops at home, as much for Black's
    // Endings that cannot be won score 0.
    {"8/8/4k3/8/8/3P4/8/4K2n w - -", {{EVAL, 0}}}, {"8/8/4k3/8/8/3P4/8/4K2b b - -", {{EVAL, 0}}},  // pawn v minor
    {"8/8/4k3/8/8/3P4/8/4K2N w - -", {{EVAL_ABOVE, 300}}},  // pawn and knight against the king
    {"3k4/8/8/3P4/8/8/r7/4K2R w - -", {{EVAL, 0}}},         // rook and pawn, the king in front of the pawn
    {"4k3/8/8/3P4/8/8/r7/4K2R w - -", {{EVAL_NOT, 0}}},
    {"4k2r/8/8/R7/3p4/8/8/3K4 w - -", {{EVAL, 0}}}, {"3k3r/8/8/R7/3p4/8/8/4K3 w - -", {{EVAL_NOT, 0}}},
    {"k7/8/8/8/8/8/P7/K7 w - -", {{EVAL, 0}}}, {"1k6/8/8/8/8/P7/P7/K7 b - -", {{EVAL, 0}}},  // the wrong rook pawn
    {"k7/8/8/8/8/8/P7/K1B5 w - -", {{EVAL, 0}}},          // and a bishop that does not control a8
    {"k7/8/8/8/8/8/P7/K2B4 w - -", {{EVAL_ABOVE, 300}}},  // one that does
    {"2k5/8/8/8/8/8/P7/K7 w - -", {{EVAL_ABOVE, 50}}},    // the king too far from the corner file
    {"7k/8/8/8/8/8/7P/K2B4 w - -", {{EVAL, 0}}}, {"7k/8/8/8/8/8/7P/K1B5 w - -", {{EVAL_ABOVE, 300}}},
    {"k2b4/p7/8/8/8/8/8/1K6 w - -", {{EVAL_BELOW, -300}}},  // Black's corner a1 is dark
    {"8/8/4k3/8/8/8/8/2N1K3 w - -", {{EVAL, 0}}}, {"8/8/4k1b1/8/8/8/8/4K3 w - -", {{EVAL, 0}}},  // a minor alone
    {"8/8/4k3/8/8/8/8/1NN1K3 w - -", {{EVAL_ABOVE, 300}}}, {"8/8/8/3k4/8/8/8/Q3K3 w - -", {{EVAL, kQueenAlone}}},
    {"q3k3/8/8/8/3K4/8/8/8 b - -", {{FOR_SIDE, kQueenAlone}}},
    // The scalings: opposite bishops pull toward 0 (shifts, rounded down), a side without pawns needs a rook.
    {kOppositeBishops, {{BISHOP_COLOURS, 1 | 8}, {EVAL_BELOW, 61}, {EVAL_ABOVE, -61}, {OPPOSITE_BISHOPS, -41, -161},
                        {OPPOSITE_BISHOPS, 40, 161}, {OPPOSITE_BISHOPS, -101, -201}}},
    {"r3k3/2p5/3b4/8/8/3B4/2P1P3/R3K3 w - -", {{OPPOSITE_BISHOPS, 150, 150}, {OPPOSITE_BISHOPS, 250, 401}}},
    {"r3k3/2p5/2nb4/8/8/3B4/2P1P3/R3K3 w - -", {{OPPOSITE_BISHOPS, 401, 401}}},  // unequal pieces
    {"q3k3/2p5/3b4/8/8/3B4/2P1P3/Q3K3 w - -", {{OPPOSITE_BISHOPS, 401, 401}}},   // 12 units each
    {"4k3/2p5/4b3/8/8/3B4/2P1P3/4K3 w - -", {{OPPOSITE_BISHOPS, -161, -161}}},   // bishops of one colour
    {"4k3/8/8/8/8/8/8/R3K2n w - -", {{NO_PAWNS, 150, 350}, {NO_PAWNS, 0, 150}, {NO_PAWNS, 0, -50}}},
    {"4k3/8/8/8/8/8/8/Q3K3 w - -", {{NO_PAWNS, 1000, 1000}}}, {"4k3/p7/8/8/8/8/P7/R3K2n w - -", {{NO_PAWNS, 350, 350}}},
    {"r3k3/8/8/8/8/8/P7/4K2N w - -", {{NO_PAWNS, 0, -120}, {NO_PAWNS, -150, -350}}},
    // The b-pawn runs: outside the Black king's square only with White to move.
    {"8/8/1P2k3/8/8/8/8/K7 w - -", {{EVAL_ABOVE, 100 + 420}}}, {"8/8/1P2k3/8/8/8/8/K7 b - -", {{EVAL_BELOW, 520}}},
    // Mop-up: the kings' distance, the defending king's centre square (d4 19, a8 -8).
    {"8/8/8/8/3k4/8/8/R3K3 w - -", {{MOP_UP, -4 * 4 - (4 * 19 - 30)}}},
    {"k7/8/8/8/8/8/8/4K2R w - -", {{MOP_UP, -4 * 11 - (4 * -8 - 30)}}},
    // Pawns: square bonus, isolated, doubled, backward, passed (by rank index), duo.
    {"4k3/8/8/8/4P3/8/8/4K3 w - -", {{PAWNS, 11 - 12 + 32}}}, {"4k3/8/8/4p3/4P3/8/8/4K3 w - -", {{PAWNS, 0}}},
    {"4k3/8/8/4P3/8/4P3/8/4K3 w - -", {{PAWNS, (8 - 12 - 5 + 16 / 2) + (11 - 12 - 5 + 60)}}},  // half for the rear one
    {"4k3/8/8/3PP3/8/8/8/4K3 w - -", {{PAWNS, 2 * (11 + 60 + 15 + 2 + 14)}}},
    {"4k3/8/8/4P3/3P4/8/8/4K3 w - -", {{PAWNS, (11 - 3 + 32 + 15) + (11 + 60 + 15)}}},
    // d4 and e6 each with its stop square attacked and undefended, weak and isolated.
    {"4k3/8/4p3/8/3P4/8/8/4K3 w - -", {{PAWNS, (11 - 12 - 12 - 10 - 10) - (8 - 12 - 12 - 10 - 10)}}},
    {"8/4k1PK/8/8/8/8/8/n7 w - -", {{PASSED, 130 + 150}}},  // king support, the path free
    {"8/6PK/5k2/8/8/8/8/n7 w - -", {{PASSED, 130}}},        // the Black king guards the path
    {"4k3/2pp4/n7/P7/8/8/2PP4/R3K3 w - -", {{PASSED, -30 + 20 + 48}}},  // blocked, own rook behind, outside
    {"4k3/8/8/P7/1p6/8/2P5/r3K3 w - -", {{PASSED, -40}}},               // an enemy rook behind, not outside
    {"8/8/8/6pp/k3K3/8/6PP/8 w - -", {{RACE, 150}}}, {"8/8/8/8/8/8/8/K1k5 w - -", {{RACE, -150}}},
    {"8/8/8/8/8/1k6/8/K7 w - -", {{RACE, 0}}}, {"8/8/8/8/8/1k6/8/K7 b - -", {{RACE, -150}}},
    // King safety: the square's base danger, the wing's shelter, the centre files.
    {"rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR w KQkq -", {{DANGER_WHITE, 2}, {DANGER_BLACK, 2}}},  // no queens
    // Castled behind f2 g2 h2 against a king that keeps both rights: safety 6 and -30, the rights -30.
    {"r2qk2r/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1RK1 w kq -", {{DANGER_WHITE, 0}, {DANGER_BLACK, 4}, {SHELTER, 6}}},
    {"rnbqkbnr/ppp2ppp/8/8/8/8/PPP2PPP/RNBQKBNR w KQkq -", {{DANGER_WHITE, 4 + 2 + 4}, {DANGER_BLACK, 4 + 2 + 4}}},
    {"q5k1/5ppp/8/8/8/6PP/5P2/Q5K1 w - -", {{DANGER_WHITE, 2 + 1 - 1}, {DANGER_BLACK, 0}}},  // g3 beside h3
    {"q5k1/8/8/8/8/8/5PPP/1K5Q w - -", {{DANGER_WHITE, 11 + 7}}},  // a to c open, the six increments
    {"1k1q4/ppp5/8/8/8/PPP5/PPP5/1K1Q4 w - -", {{DANGER_WHITE, 0}}},  // the -1 wraps the byte: no danger
    {"3qk3/5ppp/8/8/8/5PPP/5PPP/3Q1K2 w - -", {{DANGER_WHITE, 2 - 1}}},  // a base of 2 absorbs the -1
    {"8/8/8/4k3/8/8/6PP/4K3 w - -", {{PLACEMENT, -30 - 30}}},  // endgame king tables by the pawns' wings
    {"8/8/8/4k3/8/8/PP6/4K3 w - -", {{PLACEMENT, -40 - -10}}}, {"8/8/8/4k3/8/8/P6P/4K3 w - -", {{PLACEMENT, -20 - 30}}},
    {"8/8/8/4k3/8/8/8/R3K3 w - -", {{PLACEMENT, 0}}},
    // Knights: square bonus 6 and outpost 15 on d5, doubled by two defenders.
    {"6k1/8/8/3N4/2P1P3/8/8/6K1 w - -", {{PIECES, 6 + 15 + 15}}},
    {"6kn/8/8/3N4/2P5/8/8/6K1 w - -", {{PIECES, 6 + 15 + 7 + 50}}},  // half with an enemy knight about
    {"6k1/8/8/3N4/2P5/8/8/6K1 w - -", {{PIECES, 6 + 15 + 15}}},
    {"6k1/4p3/8/3N4/2P1P3/8/8/6K1 w - -", {{PIECES, 6}}},  // e7 could drive it away
    // Bishops: square bonus and the mobility inside the reach (c3 to g7 on an empty diagonal).
    {"4k3/8/8/8/8/8/8/B3K3 w - -", {{PIECES, -16 + 4 + 9 + 9 + 4 + 1}}},
    {"4k3/8/8/8/3P4/8/8/B3K3 w - -", {{PIECES, -16 + 4}}},  // d4 ends the reach
    // Rooks: open (+24) and half-open (+5) files, the proximity to the king's file.
    {"6k1/8/8/8/8/8/PP6/5RK1 w - -", {{PIECES, 4 + 24}, {ATTACK_ON_BLACK, 3}}},
    {"6k1/5p2/8/8/8/8/1P6/5RK1 w - -", {{PIECES, 4 + 5}, {ATTACK_ON_BLACK, 3}}},
    {"6k1/3ppppp/8/8/8/8/3PPPPP/3K1R2 w - -", {{PIECES, 4 - 12}}},  // the open files out of reach
    {"k7/2R1R3/8/8/8/8/8/4K3 w - -", {{PIECES, 4 + 6 + 2 * 24 + 2 * (30 + 16)}}},  // the seventh, king on the eighth
    {"8/2R1R3/k7/8/8/8/8/4K3 w - -", {{PIECES, 4 + 6 + 2 * 24}}},
    {"k7/2QR4/8/8/8/8/8/4K3 w - -", {{PIECES, 6 + 30 + 16 + 24 + 3 + 10}}},  // and a queen beside a rook
    {"4k3/8/8/8/8/8/8/RN2K3 w - -", {{PIECES, -15 - 20 + 24}}}, {"4k3/8/8/8/8/8/8/R1N1K3 w - -", {{PIECES, -15 + 24}}},
    // Queens: the proximity to the king's file, the safer king.
    {"4k3/8/8/8/8/8/8/3QK3 w - -", {{PIECES, 0}, {ATTACK_ON_BLACK, 5}, {PIECES_DANGERS, 30, 5}, {PIECES_DANGERS, 0, 105}}},
    {"6k1/8/8/8/Q7/8/PPPPP3/4K3 w - -", {{ATTACK_ON_BLACK, -8}}},  // far from the king's wing
    {"6k1/8/8/8/Q7/8/PPPP4/4K3 w - -", {{ATTACK_ON_BLACK, 0}}},
    // The bishop pair by the own pawn count; a single bishop's pawns on its colour.
    {"4k3/pppppppp/8/8/8/8/PPPPPPPP/2B1KB2 w - -", {{BISHOP_COLOURS, 1 | 2}, {BISHOP_PAIR, 8}}},
    {"4k3/pppppppp/8/8/8/8/PPPPPPP1/2B1KB2 w - -", {{BISHOP_PAIR, 15}}},
    {"4k3/8/8/8/8/8/PPPPPPPP/4KB2 w - -", {{BISHOP_PAIR, -4 * 4}}},
    {"3bk3/p1p5/8/8/8/8/8/4K3 w - -", {{BISHOP_COLOURS, 8}, {BISHOP_PAIR, 4 * 2}}},
    // Patterns.
    {"4k3/B6B/1p4p1/8/8/8/8/4K3 w - -", {{TRAPPED, -150}}}, {"4k3/8/8/8/8/1P6/b7/4K3 w - -", {{TRAPPED, 150}}},
    {"rnbqkbnr/pppppppp/8/8/8/5Q2/PPPPPPPP/RNB1KBNR w KQkq -", {{TRAPPED, -15}}},  // an early queen
    {"rnbqkbnr/pppppppp/8/8/8/5Q2/PPPPPPPP/RNB1KBNR w kq -", {{TRAPPED, 0}}},
    {"4k3/8/8/8/8/8/8/5RKR w - -", {{SHUT_IN, -30}}}, {"4k3/8/8/8/8/8/7R/6K1 w - -", {{SHUT_IN, -30}}},
    {"4k3/8/8/8/8/8/8/4K2R w - -", {{SHUT_IN, 0}}}, {"K7/R7/8/8/8/8/8/4k3 w - -", {{SHUT_IN, 0}}},
    {"4k3/8/8/8/8/3N4/3PP3/2B1KB2 w - -", {{DEVELOPMENT, -23 - 24 - 5 - 12}}},
    {"4k3/8/8/8/8/8/4P3/5BK1 w - -", {{DEVELOPMENT, -12}}},  // the king has left e1
};

class EvalTerms : public vtest::EngineTest {};

TEST_F(EvalTerms, OnHandBuiltPositionsAndTheirTwins) {
  for (const auto& [fen, expected] : kCases) {
    for (const Expect& x : expected) {
      SCOPED_TRACE(std::string(fen) + " term " + std::to_string(x.Read) + " arg " + std::to_string(x.Arg));
      ASSERT_TRUE(vtest::SetFen(fen));
      const int v = Read(x);
      switch (x.Read) {
        case EVAL_ABOVE: EXPECT_GT(v, x.Value); continue;
        case EVAL_BELOW: EXPECT_LT(v, x.Value); continue;
        case EVAL_NOT: EXPECT_NE(v, x.Value); continue;
        default: EXPECT_EQ(v, x.Value);
      }
      if (x.Read > MOP_UP || x.Read == FOR_SIDE) continue;
      ASSERT_TRUE(vtest::SetFen(vtest::MirrorFen(fen)));
      EXPECT_EQ(Read(x), -v) << "the twin " << vtest::MirrorFen(fen);
    }
  }
}

TEST_F(EvalTerms, LazyExitAndTheMargin) {
  // Bare kings, White a1, Black c1: the king race gives Black 150 before the
  // lazy test; the whole evaluation scores 0.
  ASSERT_TRUE(vtest::SetFen("8/8/8/8/8/8/8/K1k5 w - -"));
  ClearEvalCaches();
  EXPECT_EQ(Evaluate(-10000, -350), -150 - 200);
  EXPECT_EQ(Evaluate(50, 10000), -150 + 200);
  EXPECT_EQ(Evaluate(-349, 10000), 0) << "a lazy score was kept in the cache";
  // The margin grows to the largest swing between the base and the whole score.
  ASSERT_TRUE(vtest::SetFen("r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/2N2N2/PPPP1PPP/R1BQK2R w KQkq -"));
  Ev.LazyMargin = 0;
  ClearEvalCaches();
  const int base = Evaluate(-10000, -10000), whole = Evaluate(-10000, 10000);
  EXPECT_EQ(Ev.LazyMargin, std::abs(whole - base));
  Ev.LazyMargin = 500;
  ClearEvalCaches();
  EXPECT_EQ(Evaluate(-10000, base - 500), base - 500);
  EXPECT_EQ(Evaluate(base + 500, 10000), base + 500);
}

TEST_F(EvalTerms, CachesKeepNoScoreTheyCannotGiveBack) {
  // Keyed without the side to move: the runaway pawn's bonus is not kept.
  ASSERT_TRUE(vtest::SetFen("8/8/1P2k3/8/8/8/8/K7 w - -"));
  ClearEvalCaches();
  const int runs = Evaluate(-10000, 10000);
  ASSERT_TRUE(vtest::SetFen("8/8/1P2k3/8/8/8/8/K7 b - -"));
  EXPECT_LT(Evaluate(-10000, 10000), runs);
  // A cleared pawn entry has key 0, the pawn key of a board without pawns;
  // its bytes must not be taken for that board's.
  ClearEvalCaches();
  EvalCaches.PawnTable[0].PawnFiles[0] = 0x55;
  EvalCaches.PawnTable[0].ShelterWeakness[1] = 200;
  ASSERT_TRUE(vtest::SetFen("4k3/8/8/8/8/8/8/R3K3 w - -"));
  EXPECT_EQ(PawnStructure(), 0);
  EXPECT_EQ(Ev.PawnEntry->PawnFiles[0], 0);
  EXPECT_EQ(Ev.PawnEntry->ShelterWeakness[1], 18);
  // Pawns on the back ranks (the edit dialogue can place them) count for nothing.
  Pos.Board[A8] = PAWN;
  Pos.Board[H1] = BLACK_BIT + PAWN;
  RecomputeBitboards();
  RecomputeKeys();
  EXPECT_EQ(PawnStructure(), 0);
}


const char* const kMore[] = {
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R b KQkq -",
    "2b1k3/3p4/8/8/8/8/3P4/2B1K3 w - -",
};

int FreshScore() {
  ClearEvalCaches();
  return Evaluate(-10000, 10000);
}

class EvalSymmetry : public vtest::EngineTest {};

TEST_F(EvalSymmetry, TwinsScoreTheNegatedValueAlsoFromTheCaches) {
  std::vector<std::string> fens(std::begin(kMore), std::end(kMore));
  for (const vtest::Reference& r : vtest::References()) fens.push_back(r.Fen);
  int positions = 0, rounded = 0, cached = 0;
  for (const std::string& fen : fens) {
    for (unsigned seed = 1; seed <= 4; seed++) {
      SCOPED_TRACE(fen + " game " + std::to_string(seed));
      std::vector<int> scores;
      std::vector<bool> opposite, fromCache;
      const std::vector<std::string> moves = vtest::RandomGame(fen, seed, 60, [&] {
        scores.push_back(FreshScore());
        opposite.push_back(EvalTables.OppositeBishops[Ev.BishopColours] != 0);
        // With a side that has no pieces the score may hang on the side to
        // move (the rule of the square, the king race), which the cache key leaves out.
        fromCache.push_back(Pos.PieceUnits[WHITE] != 0 && Pos.PieceUnits[BLACK] != 0);
      });
      // The twins are scored with the caches as the games before left them.
      ASSERT_TRUE(vtest::SetFen(vtest::MirrorFen(fen))) << vtest::MirrorFen(fen);
      for (size_t ply = 0; ply < scores.size(); ply++) {
        SCOPED_TRACE("after " + std::to_string(ply) + " moves");
        const int twin = fromCache[ply] ? Evaluate(-10000, 10000) : FreshScore();
        positions++;
        cached += fromCache[ply];
        // The opposite-bishop scaling shifts, which rounds toward minus infinity.
        if (opposite[ply] && scores[ply] + twin == -1) rounded++;
        else EXPECT_EQ(scores[ply], -twin);
        if (ply < moves.size()) {
          ASSERT_TRUE(vtest::Play({vtest::MirrorMove(moves[ply])}));
        }
      }
    }
  }
  EXPECT_GT(positions, 3000);
  EXPECT_GT(cached, 2000);
  RecordProperty("roundedOppositeBishops", rounded);
}

}  // namespace
