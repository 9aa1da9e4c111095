// Transposition table probe and store, the move-only entries, clearing, and
// the sizing and reallocation of the tables.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "search/search.h"

namespace {

class HashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Settings.HashSize = 1u << 20;
    Settings.EvalHashSize = 64u << 10;
    Settings.PawnHashSize = 24u * 2048;
    ASSERT_EQ(AllocateTableBlocks(), 0);
    ClearHashTables();
    Tables.HashMask = Tables.HashBytes / 32 - 1;
    Srch.SearchAge = 1;
    Srch.RepetitionSeen = 0;
    Tree.Ply = 1;
    Pos.Key = 0x0123456789ABCDEFull;
    Pos.SideToMove = WHITE;
  }

  uint32_t Index() const { return KeyLow(FoldSide(Pos.Key, Pos.SideToMove)) & Tables.HashMask; }
  HashEntry& Deep() { return Tables.DepthPreferredTable[Index()]; }
  HashEntry& Always() { return Tables.AlwaysReplaceTable[Index()]; }

  int Probe(int depth, int beta, int& score, Move& move, int& threat, int& nullAllowed, int units = 31) {
    move = 0;
    threat = 0;
    return ProbeHash(depth, score, move, threat, units, nullAllowed, beta);
  }
};

int StoredScore(const HashEntry& e) { return static_cast<int>(e.DataLow & 0x1FFFF) - 65536; }
int StoredDepth(const HashEntry& e) { return static_cast<int>((e.DataLow >> 17) & 0x1FFF); }

TEST_F(HashTest, MateScoresAreStoredRelativeToTheNode) {
  Tree.Ply = 3;
  StoreHash(9900, 240, HASH_EXACT, 0, 0x1234);
  EXPECT_EQ(StoredScore(Deep()), 9902);
  EXPECT_EQ(StoredDepth(Deep()), 240);
  EXPECT_EQ(Deep().DataHigh, (0x1234u << 4) | 1u);

  Tree.Ply = 5;
  int score = 0, threat = 0, nullAllowed = 1;
  Move move = 0;
  EXPECT_EQ(Probe(240, 10000, score, move, threat, nullAllowed), HASH_EXACT);
  EXPECT_EQ(score, 9898);
  EXPECT_EQ(move, 0x1234u);

  Tree.Ply = 3;
  StoreHash(-9900, 240, HASH_UPPER, 1, 0);
  EXPECT_EQ(StoredScore(Deep()), -9902);
  Tree.Ply = 5;
  EXPECT_EQ(Probe(240, 10000, score, move, threat, nullAllowed), HASH_UPPER);
  EXPECT_EQ(score, -9898);
  EXPECT_EQ(threat, 1);
}

TEST_F(HashTest, TheSideToMoveIsFoldedIntoTheKey) {
  StoreHash(50, 120, HASH_EXACT, 0, 7);
  Pos.SideToMove = BLACK;
  int score = 0, threat = 0, nullAllowed = 1;
  Move move = 0;
  EXPECT_EQ(Probe(60, 100, score, move, threat, nullAllowed), HASH_MISS);
  EXPECT_EQ(move, 0u);
  Pos.SideToMove = WHITE;
  EXPECT_EQ(Probe(60, 100, score, move, threat, nullAllowed), HASH_EXACT);
  EXPECT_EQ(score, 50);
}

TEST_F(HashTest, MoveOnlyEntriesGiveTheirMoveButNeverACutOff) {
  StoreHashMove(0x5678);
  EXPECT_EQ(Always().DataLow, MOVE_ONLY_DATA);
  EXPECT_EQ(Always().DataHigh, (0x5678u << 4) | 1u);
  EXPECT_EQ(StoredScore(Always()), -65536);
  EXPECT_EQ(StoredDepth(Always()), 2400);

  int score = 0, threat = 0, nullAllowed = 1;
  Move move = 0;
  int bound = Probe(600, -10001, score, move, threat, nullAllowed);
  EXPECT_EQ(move, 0x5678u);
  EXPECT_EQ(bound, HASH_LOWER);
  EXPECT_LT(score, -10001);  // a lower bound below every window: no cut-off
  EXPECT_EQ(nullAllowed, 1);
  // Deeper than the entry: a miss that still supplies the move.
  EXPECT_EQ(Probe(3000, 0, score, move, threat, nullAllowed), HASH_MISS);
  EXPECT_EQ(move, 0x5678u);
}

TEST_F(HashTest, StoreHashMoveReplacesOnlyTheMoveOfAMatchingEntry) {
  StoreHash(33, 300, HASH_LOWER, 1, 0x111);
  HashEntry before = Deep();
  StoreHashMove(0x222);
  EXPECT_EQ(Deep().DataLow, before.DataLow);
  EXPECT_EQ(Deep().DataHigh, (before.DataHigh & ~(0x1FFFFFu << 4)) | (0x222u << 4));
  EXPECT_EQ(Always().KeyLow, 0u);  // nothing written to the other table
}

TEST_F(HashTest, DeeperEntriesOfTheCurrentSearchStayInTheDepthPreferredTable) {
  StoreHash(10, 600, HASH_EXACT, 0, 1);
  StoreHash(20, 300, HASH_EXACT, 0, 2);  // same key, shallower
  EXPECT_EQ(StoredScore(Deep()), 10);
  EXPECT_EQ(StoredScore(Always()), 20);

  // From an older search the deep entry is replaced.
  AdvanceSearchAge();
  StoreHash(30, 120, HASH_EXACT, 0, 3);
  EXPECT_EQ(StoredScore(Deep()), 30);
  EXPECT_EQ(Deep().DataHigh & 7, 2u);

  // A different key displaces the old entry into the always-replace table.
  const HashEntry old = Deep();
  Pos.Key ^= 0xFFFF000000000000ull;  // same index, other key
  StoreHash(40, 600, HASH_EXACT, 0, 4);
  EXPECT_EQ(StoredScore(Deep()), 40);
  EXPECT_EQ(std::memcmp(&Always(), &old, sizeof old), 0);
}

TEST_F(HashTest, ProbeLooksInTheAlwaysReplaceTableFirst) {
  StoreHash(10, 600, HASH_EXACT, 0, 0x10);
  StoreHash(20, 120, HASH_LOWER, 0, 0x20);  // goes to the always-replace table
  int score = 0, threat = 0, nullAllowed = 1;
  Move move = 0;
  // Deep enough in the always-replace entry.
  EXPECT_EQ(Probe(120, 0, score, move, threat, nullAllowed), HASH_LOWER);
  EXPECT_EQ(score, 20);
  EXPECT_EQ(move, 0x20u);
  // Too shallow there: its move is kept, score and bound come from the other table.
  EXPECT_EQ(Probe(480, 0, score, move, threat, nullAllowed), HASH_EXACT);
  EXPECT_EQ(score, 10);
  EXPECT_EQ(move, 0x20u);
  // Too shallow in both.
  EXPECT_EQ(Probe(660, 0, score, move, threat, nullAllowed), HASH_MISS);
}

TEST_F(HashTest, UpperBoundsForbidTheNullMoveAndRepetitionsOnlyGiveTheMove) {
  StoreHash(-50, 200, HASH_UPPER, 0, 0x30);
  int score = 0, threat = 0, nullAllowed = 1;
  Move move = 0;
  // Entry depth 200 >= 360 - 180 and beta above the bound: no null move.
  EXPECT_EQ(Probe(360, 0, score, move, threat, nullAllowed, 20), HASH_MISS);
  EXPECT_EQ(nullAllowed, 0);
  // With few pieces the reduction is 240: 200 < 460 - 240 keeps the permission.
  nullAllowed = 1;
  Probe(460, 0, score, move, threat, nullAllowed, 20);
  EXPECT_EQ(nullAllowed, 1);
  // beta not above the score keeps it too.
  Probe(200, -60, score, move, threat, nullAllowed);
  EXPECT_EQ(nullAllowed, 1);

  Srch.RepetitionSeen = 1;
  EXPECT_EQ(Probe(60, 0, score, move, threat, nullAllowed), HASH_MISS);
  EXPECT_EQ(move, 0x30u);
}

TEST_F(HashTest, ClearingEmptiesEveryTableAndTheOrderingState) {
  StoreHash(5, 60, HASH_EXACT, 0, 9);
  Srch.HistoryTable[WHITE][100] = 5;
  Srch.Killer1[3] = 77;
  Srch.Killer2[64] = 78;
  Srch.PvTable[0][64] = 79;
  Tables.EvalTable[5] = {1, 2, 3, 4};
  Tables.PawnTable[6].KeyLow = 9;
  Tables.PawnTable[6].PassedSet = 10;
  Tables.PawnTable[6].Score = 11;
  ClearHashTables();
  for (uint32_t i = 0; i <= Tables.HashMask; i++) {
    for (const HashEntry* t : {Tables.DepthPreferredTable, Tables.AlwaysReplaceTable}) {
      ASSERT_EQ(t[i].DataLow, 0u);
      ASSERT_EQ(t[i].DataHigh, 7u);  // age 7: stale for every search age but 7
      ASSERT_EQ(t[i].KeyLow | t[i].KeyHigh, 0u);
    }
  }
  EXPECT_EQ(Tables.EvalHashMask, (64u << 10) / 16 - 1);
  EXPECT_EQ(Tables.PawnHashMask, 2047u);
  EXPECT_EQ(Tables.EvalTable[5].KeyLow | Tables.EvalTable[5].KeyHigh, 0u);
  EXPECT_EQ(Tables.EvalTable[5].Score, 0);
  EXPECT_EQ(Tables.PawnTable[6].KeyLow, 0u);
  EXPECT_EQ(Tables.PawnTable[6].PassedSet, 0u);
  EXPECT_EQ(Tables.PawnTable[6].Score, 0);
  EXPECT_EQ(Srch.HistoryTable[WHITE][100], 0u);
  EXPECT_EQ(Srch.Killer1[3], 0u);
  EXPECT_EQ(Srch.Killer2[64], 0u);
  EXPECT_EQ(Srch.PvTable[0][64], 0u);
}

TEST_F(HashTest, SearchAgeCyclesFromOneToSeven) {
  Srch.SearchAge = 0;
  int seen[16];
  for (int i = 0; i < 16; i++) {
    AdvanceSearchAge();
    seen[i] = Srch.SearchAge;
  }
  const int expected[16] = {1, 2, 3, 4, 5, 6, 7, 1, 2, 3, 4, 5, 6, 7, 1, 2};
  for (int i = 0; i < 16; i++) EXPECT_EQ(seen[i], expected[i]);
}

std::string Sizes(int total) {
  testing::internal::CaptureStdout();
  SizeHashTables(total);
  return testing::internal::GetCapturedStdout();
}

std::string SizeLines(int eval, int pawn, int tt) {
  return "Hash Eval Table: " + std::to_string(eval) + "MB\nPawn Hash : " + std::to_string(pawn) +
         "MB\nHash Tables: " + std::to_string(tt) + "MB\n";
}

TEST(HashSizing, UciTotalsAreSharedOutAmongTheTables) {
  const EngineSettings saved = Settings;
  EXPECT_EQ(Sizes(16), SizeLines(2, 6, 8));
  EXPECT_EQ(Settings.HashSize, 8u << 20);
  EXPECT_EQ(Settings.PawnHashSize, 6u << 20);
  EXPECT_EQ(Settings.EvalHashSize, 2u << 20);
  EXPECT_EQ(Sizes(24), SizeLines(2, 6, 16));
  EXPECT_EQ(Sizes(6), SizeLines(1, 3, 2));
  EXPECT_EQ(Sizes(1024), SizeLines(128, 384, 512));
  EXPECT_EQ(Settings.PawnHashSize, 384u << 20);
  // Below one megabyte the minimum sizes; far too much is capped so that the
  // byte counts stay within 32 bits.
  EXPECT_EQ(Sizes(0), SizeLines(1, 3, 2));
  EXPECT_EQ(Sizes(-7), SizeLines(1, 3, 2));
  EXPECT_EQ(Sizes(1 << 30), SizeLines(2, 6, 2048));
  EXPECT_EQ(Settings.HashSize, 1u << 31);
  Settings = saved;
}

TEST(HashSizing, ReallocationInitialisesTheTables) {
  testing::internal::CaptureStdout();
  AllocateHashTables(6);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, SizeLines(1, 3, 2));
  EXPECT_EQ(Tables.HashBytes, 2u << 20);
  EXPECT_EQ(Tables.HashMask, (2u << 20) / 32 - 1);
  EXPECT_EQ(Tables.EvalHashMask, (1u << 20) / 16 - 1);
  EXPECT_EQ(Tables.PawnHashMask, (3u << 20) / 24 - 1);
  EXPECT_EQ(Tables.DepthPreferredTable[Tables.HashMask].DataHigh, 7u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(Tables.EvalTable) % 16, 0u);
}

#if !defined(__SANITIZE_ADDRESS__)
// With too little address space for the new tables the old ones stay in use.
TEST(HashSizing, FailedReallocationKeepsThePreviousTables) {
  fflush(stdout);
  int pipeFd[2];
  ASSERT_EQ(pipe(pipeFd), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    close(pipeFd[0]);
    dup2(pipeFd[1], 1);
    int devNull = open("/dev/null", O_RDONLY);  // the key wait must not block
    dup2(devNull, 0);
    Settings.HashSize = 1u << 20;
    Settings.EvalHashSize = 1u << 20;
    Settings.PawnHashSize = 24u << 15;
    if (AllocateTableBlocks() != 0) _exit(10);
    ClearHashTables();
    HashEntry* before = Tables.DepthPreferredTable;
    rlimit limit = {64u << 20, 64u << 20};
    getrlimit(RLIMIT_AS, &limit);
    rlimit small = limit;
    small.rlim_cur = 512ull << 20;  // far below the ~2 GB asked for
    if (setrlimit(RLIMIT_AS, &small) != 0) _exit(11);
    AllocateHashTables(4095);
    std::fflush(stdout);
    bool kept = Tables.DepthPreferredTable == before && Tables.HashBytes == (1u << 20) &&
                Settings.HashSize == (1u << 20) && Settings.EvalHashSize == (1u << 20);
    // The old tables still work.
    Tables.DepthPreferredTable[Tables.HashMask].DataLow = 1;
    _exit(kept ? 0 : 12);
  }
  close(pipeFd[1]);
  std::string out;
  char buf[256];
  ssize_t n;
  while ((n = read(pipeFd[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  close(pipeFd[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(out, SizeLines(2, 6, 2048) + "HASH is too large\n");
}
#endif

}  // namespace
