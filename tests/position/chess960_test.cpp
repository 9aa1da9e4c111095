// Chess960: perft to depth 4 against reference counts (start arrays with the
// king beside a rook, on b or g, castles in which king or rook stays, the
// castling rook screening its king's target, middlegames with rights held),
// and random games in which make/unmake keep the record and the keys exact.
#include <cstring>
#include <iterator>
#include <random>

#include "frontend/frontend.h"
#include "support/engine.h"
#include "tools/tools.h"

namespace {

struct Case960 { const char* Fen; uint64_t Nodes; };

const Case960 Cases[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 197281}, {"rkqnbbrn/pppppppp/8/8/8/8/PPPPPPPP/RKQNBBRN w GAga - 0 1", 168424},
    {"nnqbbrkr/pppppppp/8/8/8/8/PPPPPPPP/NNQBBRKR w KQkq - 0 1", 164609}, {"rqknrnbb/pppppppp/8/8/8/8/PPPPPPPP/RQKNRNBB w EAea - 0 1", 200232},
    {"bbrnkrnq/pppppppp/8/8/8/8/PPPPPPPP/BBRNKRNQ w KQkq - 0 1", 203817}, {"qnbrkbrn/pppppppp/8/8/8/8/PPPPPPPP/QNBRKBRN w GDgd - 0 1", 163365},
    {"nrbbnkrq/pppppppp/8/8/8/8/PPPPPPPP/NRBBNKRQ w KQkq - 0 1", 199253}, {"nqrkbnrb/pppppppp/8/8/8/8/PPPPPPPP/NQRKBNRB w GCgc - 0 1", 197806},
    {"rnkrbbnq/pppppppp/8/8/8/8/PPPPPPPP/RNKRBBNQ w KQkq - 0 1", 196231}, {"bbrnnkqr/pppppppp/8/8/8/8/PPPPPPPP/BBRNNKQR w HChc - 0 1", 201175},
    {"bnrqknrb/pppppppp/8/8/8/8/PPPPPPPP/BNRQKNRB w KQkq - 0 1", 199701}, {"4k3/8/8/8/8/8/8/qR2K3 w B - 0 1", 41775},
    {"1r2k3/8/8/8/8/8/8/QR2K1R1 b Bb - 0 1", 275704}, {"Qr2k3/8/8/8/8/8/8/1R2K3 b b - 0 1", 83450},
    {"4k3/8/8/8/8/8/8/r1RK4 w C - 0 1", 16172}, {"rk6/8/8/8/8/8/8/1K3R1q w F - 0 1", 64289},
    {"k1bnnbqr/rpp2ppp/p2p4/8/1P3pP1/2PPN3/P3P2P/RKB1NBQR b HA - 0 7", 440684}, {"rnbbkqrn/p3pppp/2pp4/1p6/P7/3P2P1/1PP1PP1P/RNBBKQRN w GAga - 0 4", 594867},
    {"brqbk1rn/3pp1pp/4np2/ppPN4/8/1P4P1/P1P1PP1P/BRQBK1RN w GBgb b6 0 7", 1559788}, {"nrnkbqrb/1p1ppppp/p7/2p5/7P/3PP3/PPP2PP1/NRNKBQRB b GBgb - 4 5", 246389},
    {"rkbbq1r1/p1ppppp1/4nn2/1p5p/P6P/2P1P1P1/1P1P1P2/RKBBQNNR w HAa - 1 6", 525024}, {"b2br1kr/pq1pnppp/2p1n3/4p3/3P3P/2P1P3/PP3PP1/BQ1BRNKR w HEhe - 0 8", 1592969},
    {"rb1kr1bn/p3pppp/3p2n1/1pp2B2/2P3P1/1PQ5/P2PPP1P/R2KRNBN w EAea - 0 6", 581806}, {"bqrbk1r1/1ppp1pp1/3n2np/p3p3/P1PPP3/1P3B1P/5PP1/BQR1NKRN w GC - 1 8", 481447},
    {"rkqbrnbn/1p1p1ppp/2p1p3/p7/2P5/8/PPQPPPPP/RK1BRNBN w EAea - 0 4", 617671}, {"n1rkqrbb/pp2pppp/8/3p4/1p5P/1N1P4/P1PP1PP1/1NKRQRBB b fc - 1 7", 508735},
    {"n1brk1rb/ppp2ppp/n7/3pp2Q/3P1P2/q7/PPP1P1PP/N1BRK1RB b GDgd - 1 5", 1672284}, {"bnr2qrb/pnpppkpp/1p3p2/7P/2P5/N7/PP1PPPP1/B1RNKQRB w GC - 1 5", 293999},
    {"rqkbr1bn/pppp1pp1/7p/4p3/PP3nPP/R7/2PPPP2/1QKBRNBN b Eea - 2 5", 786265}, {"brnknbrq/p2pp1pp/2p2p2/1p6/1P6/4B3/P1PPPPPP/1RNKNBRQ w GBgb - 0 4", 287312},
    {"rbbkrqn1/1pppp2p/5pnB/p5p1/7P/P2P4/RPP1PPP1/1B1KRQNN b Eea - 2 5", 315564}, {"br2rqnb/pp1kppp1/3p4/n1p4p/3PP3/4N1P1/PPP2P1P/BRK1R1NB b EB - 0 7", 683982},
};

class Chess960 : public vtest::EngineTest {
 protected:
  void SetUp() override {
    vtest::EngineTest::SetUp();
    Chess960Variant = true;
  }
  void TearDown() override { Chess960Variant = false; }
};

void MustSetFen(const char* fen) { ASSERT_TRUE(vtest::SetFen(fen)) << fen; }

std::vector<Move> AllMoves() {
  Tree.Ply = 1;
  GenerateAll();
  std::vector<Move> moves;
  const PlyBuckets& b = Gen.RootBuckets[1];
  for (int i = 0; i < BUCKET_COUNT; i++) moves.insert(moves.end(), b.Moves[i], b.Moves[i] + b.Count[i]);
  return moves;
}

TEST_F(Chess960, PerftMatchesReferenceCounts) {
  for (size_t i = 0; i < std::size(Cases); i++) {
    const Case960& c = Cases[i];
#ifdef VESSIK_SANITIZED
    // The sanitizers slow perft tenfold: every eighth case and the small endgames.
    if (i % 8 != 0 && c.Nodes >= 100000) continue;
#endif
    SCOPED_TRACE(c.Fen);
    MustSetFen(c.Fen);
    EXPECT_EQ(Perft(4), c.Nodes);
    EXPECT_EQ(PerftSearchPath(3), Perft(3));
  }
}

TEST_F(Chess960, MakeUnmakeKeepRecordAndKeysOverRandomGames) {
  std::mt19937 random(960);
  int castles = 0;
  for (const Case960& c : Cases) {
    MustSetFen(c.Fen);
    for (int ply = 0; ply < 40; ply++) {
      std::vector<Move> legal;
      for (Move m : AllMoves()) {
        ASSERT_TRUE(IsMovePossible(m)) << vtest::Coord(m);
        castles += IsCastle960(m);
        PositionRecord before;
        std::memcpy(&before, &Pos, sizeof Pos);
        const SavedState saved = SaveState();
        MakeMove(m);
        ASSERT_TRUE(PositionIsConsistent()) << vtest::Coord(m);
        const HashKey key = Pos.Key;
        RecomputeKeys();
        ASSERT_EQ(key, Pos.Key) << vtest::Coord(m);
        if (!IsAttacked(Pos.KingSquare[Pos.SideToMove], Pos.SideToMove ^ 1)) legal.push_back(m);
        UnmakeMove(m);
        RestoreState(saved);
        Pos.ScratchKey = before.ScratchKey;
        Pos.ScratchPawnKey = before.ScratchPawnKey;
        ASSERT_EQ(std::memcmp(&before, &Pos, sizeof Pos), 0) << vtest::Coord(m);
      }
      if (legal.empty()) break;
      const Move m = legal[random() % legal.size()];
      Tree.MoveAtPly[1] = m;  // the move into the next node, for its en passant test
      MakeMove(m);
      Pos.SideToMove ^= 1;
    }
  }
  EXPECT_GT(castles, 100);
}

TEST_F(Chess960, StandardFilesKeepStandardKeysAndOtherFilesDiffer) {
  Chess960Variant = false;
  MustSetFen(vtest::START_FEN);
  const HashKey standard = Pos.Key;
  Chess960Variant = true;
  MustSetFen(vtest::START_FEN);
  EXPECT_EQ(Pos.Key, standard);
  MustSetFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1");
  EXPECT_EQ(Pos.Key, standard);
  MustSetFen("1rbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/1RBQKBNR w HBhb - 0 1");
  const HashKey inner = Pos.Key;
  MustSetFen("1rbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/1RBQKBNR w KQkq - 0 1");
  EXPECT_EQ(Pos.Key, inner);  // X-FEN: the outermost rook
  MustSetFen("1rbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/1RBQKBNR w - - 0 1");
  const HashKey corners = Zobrist.CastleKeys[0] ^ Zobrist.CastleKeys[1] ^ Zobrist.CastleKeys[2] ^ Zobrist.CastleKeys[3];
  EXPECT_NE(inner, Pos.Key ^ corners);
  EXPECT_NE(inner, Pos.Key);
}

}  // namespace
