// Perft against the reference counts. At every position of random games from
// each reference position: the generators agree with each other and with the
// legality test, IsMovePossible takes exactly the generated words, make and
// unmake keep every representation and both keys exact, and the sliding
// look-ups agree with a walk along the board.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "position/positions.h"
#include "tools/tools.h"

namespace {

using vtest::Coord;

std::vector<Move> Sorted(const Move* begin, const Move* end) {
  std::vector<Move> moves(begin, end);
  std::sort(moves.begin(), moves.end());
  return moves;
}

std::vector<Move> ListOf(void (*generate)()) {
  generate();
  const PlyMoveList& list = Gen.MoveList[1];
  return Sorted(list.Moves, list.Moves + list.End);
}

bool IsEnPassant(Move m) { return MoveType(m) == PAWN && !MoveCaptured(m) && FileOf(MoveFrom(m)) != FileOf(MoveTo(m)); }

// The rights a move gives up by leaving or landing on a king or rook home square.
int RightsLost(int sq) {
  return sq == E1 ? 3 : sq == H1 ? 1 : sq == A1 ? 2 : sq == E8 ? 12 : sq == H8 ? 4 : sq == A8 ? 8 : 0;
}

void CheckMakeUnmake(const std::vector<Move>& all) {
  const int us = Pos.SideToMove, up = us == WHITE ? 8 : -8;
  for (Move m : all) {
    SCOPED_TRACE(Coord(m));
    PositionRecord before;
    std::memcpy(&before, &Pos, sizeof Pos);
    const SavedState saved = SaveState();
    MakeMove(m);
    ASSERT_TRUE(PositionIsConsistent());
    const HashKey key = Pos.Key, pawnKey = Pos.PawnKey;
    RecomputeKeys();
    ASSERT_EQ(key, Pos.Key);
    ASSERT_EQ(pawnKey, Pos.PawnKey);
    // The target square is recorded only when an enemy pawn can take on it.
    const int from = MoveFrom(m), to = MoveTo(m), theirPawn = PieceCodeOf(us ^ 1, PAWN);
    const bool target = MoveType(m) == PAWN && to - from == 2 * up &&
                        ((FileOf(to) > 0 && Pos.Board[to - 1] == theirPawn) ||
                         (FileOf(to) < 7 && Pos.Board[to + 1] == theirPawn));
    ASSERT_EQ(Pos.EnPassantBB, target ? 1ull << (from + up) : 0);
    ASSERT_EQ(Pos.CastleRights, before.CastleRights & ~(RightsLost(from) | RightsLost(to)));
    const bool resets = MoveType(m) == PAWN || MoveCaptured(m);
    ASSERT_EQ(Tree.HalfmoveClock[2], resets ? 0 : Tree.HalfmoveClock[1] + 1);
    UnmakeMove(m);
    RestoreState(saved);
    Pos.ScratchKey = before.ScratchKey;  // the recompute's work area
    Pos.ScratchPawnKey = before.ScratchPawnKey;
    ASSERT_EQ(std::memcmp(&before, &Pos, sizeof Pos), 0) << "unmake did not restore the record";
  }
}

// Castling is taken without a look at the king's destination; the legality
// test after make refuses a castling into check.
bool CastlingIntoCheck(Move w) {
  const int us = Pos.SideToMove, home = us == WHITE ? E1 : E8;
  return MoveType(w) == KING && MoveFrom(w) == home && (MoveTo(w) == home + 2 || MoveTo(w) == home - 2) &&
         IsAttacked(MoveTo(w), us ^ 1);
}

// Words a hash slot or a killer might hold: random ones, ones that name an
// own piece and its type, and generated moves with a bit or two flipped.
void CheckStoredWords(const std::vector<Move>& all, std::mt19937& random, int& accepted) {
  std::vector<int> own;
  for (int s = 0; s < 64; s++)
    if (Pos.Board[s] && IsBlackCode(Pos.Board[s]) == (Pos.SideToMove == BLACK)) own.push_back(s);
  for (int i = 0; i < 64; i++) {
    Move w = random() & 0x1FFFFF;
    if (i % 4 == 1) {
      const int from = own[random() % own.size()], to = MoveTo(w);
      w = MakeMoveWord(from, to, TypeOfCode(Pos.Board[from]), TypeOfCode(Pos.Board[to]), i % 8 == 1 ? random() % 8 : 0);
    } else if (i % 2 == 0 && !all.empty()) {
      w = all[random() % all.size()] ^ (1u << random() % 22) ^ (i % 4 ? 1u << random() % 21 : 0);
    }
    if (!IsMovePossible(w)) continue;
    accepted++;
    ASSERT_TRUE(std::binary_search(all.begin(), all.end(), w) || CastlingIntoCheck(w))
        << "takes " << w << " (" << Coord(w) << "), which no generator produces";
  }
}

Bitboard Walk(int s, int step) {
  Bitboard reach = 0;
  for (int d : {step, -step})
    for (int sq = s; sq + d >= 0 && sq + d < 64 && std::abs(FileOf(sq + d) - FileOf(sq)) <= 1;) {
      sq += d;
      reach |= 1ull << sq;
      if (Pos.Board[sq]) break;
    }
  return reach;
}

void CheckSlidingLookups() {
  for (int s = 0; s < 64; s++) {
    ASSERT_EQ(RankAttacksFrom(s), Walk(s, 1)) << s;
    ASSERT_EQ(FileAttacksFrom(s), Walk(s, 8)) << s;
    ASSERT_EQ(AntiDiagAttacksFrom(s), Walk(s, 7)) << s;
    ASSERT_EQ(DiagAttacksFrom(s), Walk(s, 9)) << s;
    ASSERT_EQ(RankReach(s), static_cast<uint8_t>(Walk(s, 1) >> (RankOf(s) * 8))) << s;
  }
}

void CheckNode(std::mt19937& random, int& accepted) {
  Tree.Ply = 1;
  GenerateAll();
  const PlyBuckets& b = Gen.RootBuckets[1];
  std::vector<Move> all;
  for (int i = 0; i < BUCKET_COUNT; i++) all.insert(all.end(), b.Moves[i], b.Moves[i] + b.Count[i]);
  std::sort(all.begin(), all.end());
  ASSERT_EQ(std::adjacent_find(all.begin(), all.end()), all.end()) << "a move generated twice";

  const std::vector<Move> captures = ListOf(GenerateCaptures), quiet = ListOf(GenerateQuiet);
  for (Move m : captures) ASSERT_TRUE(MoveCaptured(m) || MovePromotion(m) || IsEnPassant(m)) << Coord(m);
  for (Move m : quiet) ASSERT_FALSE(MoveCaptured(m) || MovePromotion(m)) << Coord(m);
  std::vector<Move> staged;
  std::merge(captures.begin(), captures.end(), quiet.begin(), quiet.end(), std::back_inserter(staged));
  ASSERT_EQ(staged, all) << "captures and quiet moves are not GenerateAll";

  // The quiescence list: captures, queen promotions and pawn steps to the seventh rank.
  std::vector<Move> quiescence, legal;
  const int seventh = Pos.SideToMove == WHITE ? 6 : 1;
  for (Move m : all) {
    const bool step7 = MoveType(m) == PAWN && RankOf(MoveTo(m)) == seventh && FileOf(MoveFrom(m)) == FileOf(MoveTo(m));
    const int promotion = MovePromotion(m);
    if ((promotion == 0 || promotion == QUEEN) && (MoveCaptured(m) || IsEnPassant(m) || promotion || step7))
      quiescence.push_back(m);
    if (KeepsOwnKingSafe(m)) legal.push_back(m);
    ASSERT_TRUE(IsMovePossible(m)) << "refuses generated " << Coord(m);
  }
  GenerateQuiescenceCaptures();
  ASSERT_EQ(Sorted(Gen.QuiescenceList[1], Gen.QuiescenceList[1] + Gen.QuiescenceEnd), quiescence);
  if (KingAttacked(Pos.SideToMove)) {
    ASSERT_EQ(ListOf(GenerateEvasions), legal) << "evasions are not the legal moves";
    ASSERT_EQ(Gen.EvasionCount[1], static_cast<int>(legal.size()));
  }
  CheckStoredWords(all, random, accepted);
  CheckMakeUnmake(all);
  CheckSlidingLookups();
}

const vtest::Reference kInCheck[] = {
    {"KnightCheck", "4k3/8/8/8/8/3n4/8/R3KB1R w KQ - 0 1"},
    {"DoubleCheck", "4r2k/8/8/8/8/Q2n4/8/4K3 w - - 0 1"},
    {"NoRetreatAlongTheCheckingLine", "k7/8/8/8/4K3/8/8/4r3 w - - 0 1"},
    {"PinnedPawnCannotTakeEnPassant", "8/8/8/4k3/3Pp3/8/8/4R2K b - d3 0 1"},
    {"PromotionBlocks", "r3K3/2P5/8/8/8/8/8/7k w - - 0 1"},
    {"DoubleStepBlocks", "7k/8/8/8/K6r/8/3P4/8 w - - 0 1"},
    {"SingleStepBlocks", "7k/8/8/8/1b6/8/2P5/4K3 w - - 0 1"},
};

class Perft : public vtest::EngineTest, public testing::WithParamInterface<vtest::Reference> {};
class MoveGen : public vtest::EngineTest {};
class GeneratorAgreement : public vtest::EngineTest, public testing::WithParamInterface<vtest::Reference> {};

TEST_P(Perft, ReferenceCount) {
  const vtest::Reference& r = GetParam();
  ASSERT_TRUE(vtest::SetFen(r.Fen));
  EXPECT_EQ(::Perft(r.Depth), r.Nodes) << "generator form, depth " << r.Depth;
  EXPECT_EQ(PerftSearchPath(r.Depth), r.Nodes) << "search path (staged lists, trusted evasions), depth " << r.Depth;
  EXPECT_EQ(::Perft(0) + PerftSearchPath(0), 2u);
}

TEST_P(GeneratorAgreement, AtEveryPositionOfRandomGames) {
  std::mt19937 random(11);
  int accepted = 0, nodes = 0;
  for (unsigned seed = 1; seed <= 16; seed++)
    vtest::RandomGame(GetParam().Fen, seed, 40, [&] { CheckNode(random, accepted), nodes++; });
  EXPECT_GT(accepted, nodes) << "the stored words should often be real moves";
}

INSTANTIATE_TEST_SUITE_P(References, Perft, testing::ValuesIn(vtest::References()), vtest::ReferenceName);
INSTANTIATE_TEST_SUITE_P(References, GeneratorAgreement, testing::ValuesIn(vtest::References()), vtest::ReferenceName);
INSTANTIATE_TEST_SUITE_P(InCheck, GeneratorAgreement, testing::ValuesIn(kInCheck), vtest::ReferenceName);

TEST_F(MoveGen, ListsAndBucketsNeverRunPastTheirEnd) {
  // More queens than chess allows: 263 quiet moves, more than a list holds.
  ASSERT_TRUE(vtest::SetFen("QQQQQB1k/Q4Q2/Q5QB/Q6Q/Q6Q/Q6Q/Q6Q/KQQQQQQQ w - - 0 1"));
  GenerateAll();
  int total = 0;
  for (int i = 0; i < BUCKET_COUNT; i++) total += Gen.RootBuckets[1].Count[i];
  EXPECT_EQ(total, 263);
  GenerateQuiet();
  EXPECT_EQ(Gen.MoveList[1].End, MOVE_LIST_SIZE);
  GenerateCaptures();
  EXPECT_LE(Gen.MoveList[1].End, MOVE_LIST_SIZE);
}

}  // namespace
