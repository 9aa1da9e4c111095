// The transposition tables: what a probe gives back after given stores, and
// the layout, replacement and clearing of the entries (the table sizes show in
// the start-up and UCI transcripts).
#include <cstring>

#include "frontend/frontend.h"
#include "search/search.h"
#include "support/engine.h"

namespace {

constexpr int X = HASH_EXACT, U = HASH_UPPER, L = HASH_LOWER, MISS = HASH_MISS;

struct Stored { int Ply, Score, Depth, Bound, Threat, Best; };  // Depth -1: StoreHashMove(Best)

struct ProbeCase {
  const char* Name;
  std::vector<Stored> Stores;                      // at the position's key, in one search
  int Ply, Depth, Beta, Units, Black, Repetition;  // the probe, with Black to move / after a repetition
  int Bound, Score, Best, Threat, NullAllowed;     // Score not checked for a miss without a move
};

// clang-format off
const ProbeCase PROBES[] = {
    {"MateScoresRelativeToTheNode", {{3, 9900, 240, X, 0, 0x1234}}, 5, 240, 10000, 31, 0, 0, X, 9898, 0x1234, 0, 1},
    {"MatedScoresAndTheThreatFlag", {{3, -9900, 240, U, 1, 0}}, 5, 240, 10000, 31, 0, 0, U, -9898, 0, 1, 0},
    {"TheSideToMoveIsInTheKey", {{1, 50, 120, X, 0, 7}}, 1, 60, 100, 31, 1, 0, MISS, 0, 0, 0, 1},
    {"AShallowerEntryIsProbedFirst", {{1, 10, 600, X, 0, 16}, {1, 20, 120, L, 0, 32}}, 1, 120, 0, 31, 0, 0,
     L, 20, 32, 0, 1},
    {"TooShallowThereItsMoveAndTheDeepResult", {{1, 10, 600, X, 0, 16}, {1, 20, 120, L, 0, 32}}, 1, 480, 0, 31, 0, 0,
     X, 10, 32, 0, 1},
    {"TooShallowInBoth", {{1, 10, 600, X, 0, 16}}, 1, 660, 0, 31, 0, 0, MISS, 10, 16, 0, 1},
    {"AnUpperBoundWithinTheReductionForbidsNull", {{1, -50, 200, U, 0, 48}}, 1, 360, 0, 20, 0, 0, MISS, -50, 48, 0, 0},
    {"FewPiecesMeanTheLargerReduction", {{1, -50, 200, U, 0, 48}}, 1, 460, 0, 20, 0, 0, MISS, -50, 48, 0, 1},
    {"BetaNotAboveTheBoundKeepsNull", {{1, -50, 200, U, 0, 48}}, 1, 200, -60, 31, 0, 0, U, -50, 48, 0, 1},
    {"AfterARepetitionOnlyTheMove", {{1, -50, 200, U, 0, 48}}, 1, 60, 0, 31, 0, 1, MISS, -50, 48, 0, 0},
    {"AMoveOnlyEntryNeverCutsOff", {{1, 0, -1, 0, 0, 0x5678}}, 1, 600, -10001, 31, 0, 0, L, -65536, 0x5678, 0, 1},
    {"AMoveOnlyEntryBeyondItsDepth", {{1, 0, -1, 0, 0, 0x5678}}, 1, 3000, 0, 31, 0, 0, MISS, -65536, 0x5678, 0, 1},
};
// clang-format on

void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.Name; }
class HashProbe : public vtest::EngineTest, public testing::WithParamInterface<ProbeCase> {};

TEST_P(HashProbe, Gives) {
  const ProbeCase& c = GetParam();
  Srch.SearchAge = 1;
  for (const Stored& s : c.Stores) {
    Tree.Ply = s.Ply;
    s.Depth < 0 ? StoreHashMove(s.Best) : StoreHash(s.Score, s.Depth, s.Bound, s.Threat, s.Best);
  }
  Tree.Ply = c.Ply;
  Pos.SideToMove = c.Black ? BLACK : WHITE;
  Srch.RepetitionSeen = c.Repetition;
  int score = 0, threat = 0, nullAllowed = 1;
  Move move = 0;
  EXPECT_EQ(ProbeHash(c.Depth, score, move, threat, c.Units, nullAllowed, c.Beta), c.Bound);
  if (c.Bound == MISS && !c.Best) score = c.Score;  // a miss without a move leaves the score alone
  EXPECT_EQ(std::vector<int>({score, static_cast<int>(move), threat, nullAllowed}),
            std::vector<int>({c.Score, c.Best, c.Threat, c.NullAllowed})) << "score, move, threat, null move allowed";
}
INSTANTIATE_TEST_SUITE_P(Cases, HashProbe, testing::ValuesIn(PROBES), [](const auto& i) { return i.param.Name; });

TEST(HashSizes, ClampedAndRoundedToWholeEntries) {
  EXPECT_EQ(RoundTableBytes(15, 16), 0u);
  EXPECT_EQ(RoundTableBytes(~0u, 32), 1u << 31);
  const std::string smallest = "Hash Eval Table: 1MB\nPawn Hash : 3MB\nHash Tables: 2MB\n";
  EXPECT_EQ(vtest::Printed([] { SizeHashTables(-7); }), smallest);
  EXPECT_EQ(vtest::Printed([] { SizeHashTables(1 << 30); }), "Hash Eval Table: 2MB\nPawn Hash : 6MB\nHash Tables: 2048MB\n");
  EXPECT_EQ(vtest::Printed([] { AllocateHashTables(6); }), smallest);
}

}  // namespace
