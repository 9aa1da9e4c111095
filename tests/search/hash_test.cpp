// The transposition tables: what a probe gives back after given stores, the
// layout and replacement of the entries, clearing, and the table sizes.
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

using HashTable = vtest::EngineTest;

TEST_F(HashTable, EntryLayoutReplacementAndClearing) {
  auto deep = [] { return Tables.DepthPreferredTable[KeyLow(Pos.Key) & Tables.HashMask]; };
  auto always = [] { return Tables.AlwaysReplaceTable[KeyLow(Pos.Key) & Tables.HashMask]; };
  Srch.SearchAge = 1;
  StoreHash(-300, 600, U, 1, 0x1234);
  EXPECT_EQ(deep().DataLow, (65536u - 300) | 600u << 17 | 1u << 30) << "score, depth, bound";
  EXPECT_EQ(deep().DataHigh, 0x1234u << 4 | 8u | 1u) << "move, threat, age";
  StoreHashMove(0x222);
  EXPECT_EQ(deep().DataHigh, 0x222u << 4 | 8u | 1u) << "only the move of the matching entry changes";
  EXPECT_EQ(always().KeyLow | always().KeyHigh, 0u);
  StoreHash(20, 300, X, 0, 2);  // shallower in the same search
  EXPECT_EQ(std::vector<uint32_t>({deep().DataHigh >> 4, always().DataHigh >> 4}), std::vector<uint32_t>({0x222, 2}));
  AdvanceSearchAge();  // an older search's entry gives way whatever its depth
  StoreHash(30, 120, X, 0, 3);
  EXPECT_EQ(deep().DataHigh, 3u << 4 | 2u);
  const HashEntry old = deep();
  Pos.Key ^= 0xFFFF000000000000ull;  // same index, another key: the old entry moves over
  StoreHash(40, 600, X, 0, 4);
  EXPECT_EQ(deep().DataHigh >> 4, 4u);
  EXPECT_EQ(std::memcmp(&Tables.AlwaysReplaceTable[KeyLow(Pos.Key) & Tables.HashMask], &old, sizeof old), 0);
  Srch.SearchAge = 7;
  AdvanceSearchAge();
  EXPECT_EQ(Srch.SearchAge, 1) << "ages run 1..7, never 0";
  Srch.HistoryTable[WHITE][100] = Srch.Killer1[3] = Srch.Killer2[64] = Srch.PvTable[0][64] = 77;
  EvalCaches.EvalTable[5] = {1, 2, 3, 4};
  EvalCaches.PawnTable[6] = {9, 9, 10, 11, {}, {}};
  Tables.AlwaysReplaceTable[Tables.HashMask].KeyLow = 1;
  ClearHashTables();
  EXPECT_EQ(deep().DataLow | deep().KeyLow | Tables.AlwaysReplaceTable[Tables.HashMask].KeyLow, 0u);
  EXPECT_EQ(deep().DataHigh, 7u) << "age 7: stale for every search but the seventh";
  EXPECT_EQ(EvalCaches.EvalTable[5].KeyLow | EvalCaches.EvalTable[5].Score | EvalCaches.PawnTable[6].KeyLow, 0u);
  EXPECT_EQ(EvalCaches.PawnTable[6].Score, 0);
  EXPECT_EQ(Srch.HistoryTable[WHITE][100] | Srch.Killer1[3] | Srch.Killer2[64] | Srch.PvTable[0][64], 0u);
}

TEST(HashSizes, RoundingAndTheUciShares) {
  // Bytes, entry size -> the entry size times the highest power of two that fits.
  const uint32_t rounded[][3] = {{0, 16, 0}, {15, 16, 0}, {16, 16, 16}, {100, 24, 96}, {3u << 20, 24, 3u << 20},
                                 {(1u << 20) + 31, 32, 1u << 20}, {~0u, 32, 1u << 31}};
  for (const auto& c : rounded) EXPECT_EQ(RoundTableBytes(c[0], c[1]), c[2]) << c[0] << " / " << c[1];
  auto sizes = [](int eval, int pawn, int tt) {
    return "Hash Eval Table: " + std::to_string(eval) + "MB\nPawn Hash : " + std::to_string(pawn) +
           "MB\nHash Tables: " + std::to_string(tt) + "MB\n";
  };
  // Total MB -> evaluation, pawn and transposition MB; out of range is clamped.
  const int shares[][4] = {{16, 2, 6, 8}, {24, 2, 6, 16}, {6, 1, 3, 2},         {1024, 128, 384, 512},
                           {0, 1, 3, 2},  {-7, 1, 3, 2},  {1 << 30, 2, 6, 2048}};
  for (const auto& c : shares) {
    EXPECT_EQ(vtest::Printed([&] { SizeHashTables(c[0]); }), sizes(c[1], c[2], c[3])) << c[0];
    EXPECT_EQ(std::vector<uint32_t>({SearchConfig.EvalHashSize, SearchConfig.PawnHashSize, SearchConfig.HashSize}),
              std::vector<uint32_t>({uint32_t(c[1]) << 20, uint32_t(c[2]) << 20, uint32_t(c[3]) << 20})) << c[0];
  }
  EXPECT_EQ(vtest::Printed([] { AllocateHashTables(6); }), sizes(1, 3, 2));
  EXPECT_EQ(std::vector<uint32_t>({Tables.HashMask, EvalCaches.EvalHashMask, EvalCaches.PawnHashMask}),
            std::vector<uint32_t>({(2u << 20) / 32 - 1, (1u << 20) / 16 - 1, (3u << 20) / 24 - 1}));
  EXPECT_EQ(Tables.DepthPreferredTable[Tables.HashMask].DataHigh, 7u) << "the new tables are cleared";
  EXPECT_EQ(reinterpret_cast<uintptr_t>(EvalCaches.EvalTable) % 16, 0u);
}

}  // namespace
