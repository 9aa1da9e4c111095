// Queries on set-up positions as tables: attacks, pins and static exchange;
// stored moves that IsMovePossible must take or refuse; SAN in the three
// styles; keys of positions reached in different ways. Then the Zobrist
// constants and the basics of the position record.
#include <cstring>
#include <tuple>
#include <utility>

#include "support/engine.h"

namespace {

class Position : public vtest::EngineTest {};

enum Query { WHITE_ATTACKERS, BLACK_ATTACKERS, ALL_ATTACKERS, PINNED, EXCHANGE, REACHES };

struct Ask {
  Query What;
  int A, B;  // the square asked about; for EXCHANGE and REACHES, from and to
  int64_t Expected;
};

int64_t Answer(const Ask& q) {
  RefreshSliderSets();
  switch (q.What) {
    case WHITE_ATTACKERS: return static_cast<int64_t>(WhiteAttackersOf(q.A));
    case BLACK_ATTACKERS: return static_cast<int64_t>(BlackAttackersOf(q.A));
    case ALL_ATTACKERS: return static_cast<int64_t>(AttackersOf(q.A));
    case PINNED: return IsPinnedToKing(IsBlackCode(Pos.Board[q.A]) ? BLACK : WHITE, q.A);
    case EXCHANGE: return StaticExchange(q.A, q.B);
    default: return PieceAttacks(TypeOfCode(Pos.Board[q.A]), q.A, q.B);
  }
}

constexpr int64_t Sq(int s) { return static_cast<int64_t>(1ull << s); }

TEST_F(Position, AttacksPinsAndStaticExchange) {
  const std::pair<const char*, std::vector<Ask>> cases[] = {
      // c2 and g6 stand behind d3 and f5; the f5 pawn and the g5 knight reach e4.
      {"k3r3/7q/6b1/5pn1/4pK2/3P4/2B5/4R3 w - - 0 1",
       {{WHITE_ATTACKERS, E4, 0, Sq(D3) | Sq(E1) | Sq(F4)}, {BLACK_ATTACKERS, E4, 0, Sq(F5) | Sq(G5) | Sq(E8)},
        {ALL_ATTACKERS, E4, 0, Sq(D3) | Sq(E1) | Sq(F4) | Sq(F5) | Sq(G5) | Sq(E8)}, {BLACK_ATTACKERS, F4, 0, 0},
        {BLACK_ATTACKERS, D3, 0, Sq(E4)}, {WHITE_ATTACKERS, G6, 0, 0}}},
      // Pinned along a file by a rook, a rank by a queen, a diagonal by a bishop;
      // f2 stands on a diagonal with a rook behind, b3 on no line to the king.
      {"4k3/4r3/8/b7/7r/1NB1N3/5P2/4K1Rq w - - 0 1",
       {{PINNED, E3, 0, true}, {PINNED, G1, 0, true}, {PINNED, C3, 0, true}, {PINNED, F2, 0, false},
        {PINNED, B3, 0, false}}},
      {"4k3/8/8/b7/8/2P5/3N4/4K3 w - - 0 1", {{PINNED, D2, 0, false}, {PINNED, C3, 0, false}}},  // two in between
      {"4k3/4p3/8/b7/8/8/3N4/4K3 w - - 0 1", {{PINNED, D2, 0, true}, {PINNED, E7, 0, false}}},
      {"r6k/p7/8/8/8/8/R7/R6K w - - 0 1", {{EXCHANGE, A2, A7, 100}}},  // the rook behind joins
      {"7k/8/2p5/3n4/4P3/8/8/K7 w - - 0 1", {{EXCHANGE, E4, D5, 200}}},
      {"7k/8/4p3/3p4/8/8/8/K2Q4 w - - 0 1", {{EXCHANGE, D1, D5, -800}}},
      {"r7/7k/8/8/8/8/8/R6K w - - 0 1", {{EXCHANGE, A1, A8, 500}}},
      {"4r2k/8/8/8/8/8/4n3/4K3 w - - 0 1", {{EXCHANGE, E1, E2, 300 - 1000}}},  // the king may not take it
      {"7k/8/8/4p3/3N4/2P5/8/K7 b - - 0 1", {{EXCHANGE, E5, D4, 200}}},        // the side to move's gain
      {"7k/8/5p2/4n3/3P4/2B5/8/K7 w - - 0 1", {{EXCHANGE, D4, E5, 300}}},      // the bishop behind the pawn
      {"3r3k/8/2p5/3n4/4P3/8/3R4/3R3K w - - 0 1", {{EXCHANGE, E4, D5, 300}}},  // d1 joins after d2 has taken
      // A pawn "attacks" straight ahead too; d2 stands between c1 and e3.
      {"7k/8/8/8/8/8/3PP3/RNB1K3 w - - 0 1",
       {{REACHES, E2, E3, true}, {REACHES, E2, F3, true}, {REACHES, E2, E4, false}, {REACHES, B1, C3, true},
        {REACHES, B1, B3, false}, {REACHES, C1, E3, false}, {REACHES, C1, B2, true}, {REACHES, A1, A8, true},
        {REACHES, E1, F2, true}}},
      {"7k/8/8/8/8/8/3PP3/RNB1K3 b - - 0 1", {{REACHES, E2, D1, true}}},  // pawn steps follow the side to move
  };
  for (const auto& [fen, asks] : cases) {
    ASSERT_TRUE(vtest::SetFen(fen)) << fen;
    for (const Ask& q : asks) EXPECT_EQ(Answer(q), q.Expected) << fen << " query " << q.What << " on " << q.A;
  }
}

TEST_F(Position, StoredMovesTakenOnlyWhereTheyCanBePlayed) {
  const Move ep = MakeMoveWord(E5, D6, PAWN);
  // A position, the moves played to it, stored words and whether IsMovePossible takes each.
  const std::tuple<const char*, std::vector<std::string>, std::vector<std::pair<Move, bool>>> cases[] = {
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", {}, {{ep, true}}},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1", {}, {{ep, false}}},
      {"4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1", {"d7d5"}, {{ep, true}}},
      {"4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1", {"d7d5", "e1e2", "e8e7"}, {{ep, false}}},  // the chance has passed
      // Castling: the right, an empty path, the king and the square it crosses not attacked (the
      // square it lands on is the legality test's after make).
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", {}, {{CASTLE_WK, true}, {CASTLE_WQ, true}}},
      {"r3kr2/8/8/8/8/8/8/R3K2R w KQq - 0 1", {}, {{CASTLE_WK, false}, {CASTLE_WQ, true}}},    // f1 attacked
      {"r3k2r/8/8/2b5/8/8/8/R3K2R w KQkq - 0 1", {}, {{CASTLE_WK, true}}},                     // g1 attacked
      {"r3k2r/8/8/8/4r3/8/8/R3K2R w KQkq - 0 1", {}, {{CASTLE_WK, false}, {CASTLE_WQ, false}}},  // in check
      {"1r2k2r/8/8/8/8/8/8/R3K2R w KQk - 0 1", {}, {{CASTLE_WQ, true}}},                       // b1 attacked only
      {"r3k2r/8/8/8/8/8/8/R3K2R w Kkq - 0 1", {}, {{CASTLE_WQ, false}}},                       // no right
      {"r3k1nr/8/8/8/8/8/8/R3K2R b KQkq - 0 1", {}, {{CASTLE_BK, false}, {CASTLE_BQ, true}}},   // g8 taken
      {"r3k2r/8/8/8/8/8/3R4/4K3 b kq - 0 1", {}, {{CASTLE_BK, true}, {CASTLE_BQ, false}}},      // d8 attacked
      {"4k3/1P6/8/8/8/8/4P3/RN2K2R w KQ - 0 1",
       {},
       {{0, false}, {MakeMoveWord(B1, C3, KNIGHT, KING), false}, {MakeMoveWord(E2, E3, PAWN, 0, QUEEN), false},
        {MakeMoveWord(B7, B8, PAWN), false}, {MakeMoveWord(B7, B8, PAWN, 0, KING), false}, {CASTLE_WQ, false},
        {MakeMoveWord(A1, A3, ROOK, 0, QUEEN), false}, {MakeMoveWord(E2, E4, PAWN) | 7u << 12, false}}},
  };
  for (const auto& [fen, played, words] : cases) {
    ASSERT_TRUE(vtest::SetFen(fen) && vtest::Play(played)) << fen;
    for (const auto& [word, possible] : words)
      EXPECT_EQ(IsMovePossible(word), possible) << fen << " word " << word << " " << vtest::Coord(word);
  }
}

// SAN as every caller writes it: the move generated, made, written with the
// mover still to move, and taken back.
std::string San(Move move, SanStyle style) {
  const SavedState saved = SaveState();
  MakeMove(move);
  char text[SAN_TEXT_SIZE];
  FormatSan(move, text, style);
  UnmakeMove(move);
  RestoreState(saved);
  return text;
}

TEST_F(Position, SanInTheConsolePvAndBookStyles) {
  const char* castle = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
  const char* promote = "8/4P3/8/8/k7/8/8/4K3 w - - 0 1";
  const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
      {vtest::START_FEN, "g1f3", "Cf3 ", "Nf3 ", "Cf3 "},
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "e1e2", "Re2 ", "Ke2 ", "Re2 "},
      {castle, "e1g1", "O-O ", "0-0 ", "O-O "},
      {castle, "e1c1", "O-O-O ", "0-0-0 ", "O-O-O "},
      {"5k2/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", "O-O+ ", "0-0+ ", "O-O+ "},  // the rook checks from f1
      {"rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2", "e4d5", "exd5 ", "exd5 ", "e*d5 "},
      {"4k3/8/8/3p4/8/4N3/8/4K3 w - - 0 1", "e3d5", "Cxd5 ", "Nxd5 ", "C*d5 "},
      {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", "e5f6", "exf6 ", "exf6 ", "e*f6 "},
      {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "d4e3", "dxe3 ", "dxe3 ", "d*e3 "},
      {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "d4d3", "d3 ", "d3 ", "d3 "},  // a plain step beside it
      {promote, "e7e8q", "e8=D+ ", "e8=Q+ ", "e8=D+ "},
      {promote, "e7e8n", "e8=C ", "e8=N ", "e8=C "},
      {promote, "e7e8b", "e8=F+ ", "e8=B+ ", "e8=F+ "},
      {"3r4/4P3/8/8/k7/8/8/4K3 w - - 0 1", "e7d8q", "exd8=D ", "exd8=Q ", "e*d8=D "},
      {"4k3/8/8/8/8/8/4K3/R6R w - - 0 1", "a1d1", "Tad1 ", "Rad1 ", "Tad1 "},
      {"4k3/8/8/R7/8/8/4K3/R7 w - - 0 1", "a1a3", "T1a3 ", "R1a3 ", "T1a3 "},
      {"4k3/8/8/8/8/8/8/1N3NK1 w - - 0 1", "b1d2", "Cbd2 ", "Nbd2 ", "Cbd2 "},
      {"4k3/8/8/8/8/8/8/R3K2R w - - 0 1", "a1d1", "Td1 ", "Rd1 ", "Td1 "},  // only one rook reaches d1
      {"4k3/8/8/8/8/8/3Q4/R3K3 w - - 0 1", "a1d1", "Td1 ", "Rd1 ", "Td1 "},  // a queen is no twin
      {"8/K2R3r/8/7k/8/8/8/3R4 w - - 0 1", "d1d4", "T1d4 ", "R1d4 ", "T1d4 "},  // a pinned twin still counts
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "a1a8", "Ta8+ ", "Ra8+ ", "Ta8+ "},  // mate has the check mark only
      {"4k3/8/8/8/8/8/r7/4K3 b - - 0 1", "a2a1", "Ta1+ ", "Ra1+ ", "Ta1+ "},
  };
  for (const auto& [fen, coord, console, pv, book] : cases) {
    SCOPED_TRACE(std::string(fen) + " " + coord);
    ASSERT_TRUE(vtest::SetFen(fen));
    const Move move = vtest::FindMove(coord);
    EXPECT_EQ(San(move, SAN_CONSOLE), console);
    EXPECT_EQ(San(move, SAN_PV), pv);
    EXPECT_EQ(San(move, SAN_BOOK), book);
  }
}

std::pair<HashKey, HashKey> KeysOf(const char* fen, const std::vector<std::string>& moves) {
  EXPECT_TRUE(vtest::SetFen(fen) && vtest::Play(moves)) << fen;
  return {Pos.Key, Pos.PawnKey};
}

TEST_F(Position, KeysOfPositionsReachedInDifferentWays) {
  const char* start = vtest::START_FEN;
  const char* twoSteps = "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3";
  using Line = std::vector<std::string>;
  // Two positions, each a FEN and moves from it; the same key? the same pawn key?
  const std::tuple<const char*, Line, const char*, Line, bool, bool> cases[] = {
      // No Black pawn can take on e3: the set-up drops the square, the double step never records it.
      {start, {"e2e4"}, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", {}, true, true},
      {start, {"e2e4", "d7d5", "e4e5", "f7f5"}, twoSteps, {}, true, true},
      {twoSteps, {}, "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq - 0 3", {}, false, true},
      {start, {}, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", {}, true, true},  // no side in the key
      {start, {"g1f3", "g8f6", "f3g1", "f6g8"}, start, {}, true, true},
      {start, {}, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w Qkq - 0 1", {}, false, true},
      {start, {"g1f3"}, start, {}, false, true},
      {start, {"e2e4"}, start, {}, false, false},
  };
  for (const auto& [fenA, movesA, fenB, movesB, sameKey, samePawnKey] : cases) {
    SCOPED_TRACE(std::string(fenA) + " / " + fenB);
    const auto a = KeysOf(fenA, movesA), b = KeysOf(fenB, movesB);
    EXPECT_EQ(a.first == b.first, sameKey);
    EXPECT_EQ(a.second == b.second, samePawnKey);
  }
}

// The shipped Book.bin was written with these keys.
TEST(ZobristConstants, FixedAcrossBuilds) {
  EXPECT_EQ(Zobrist.PieceKeys[0][0], 0xc765c0ec3ccf526dull);
  EXPECT_EQ(Zobrist.CastleKeys[3], 0x1f08afa349e6934aull);
  EXPECT_EQ(Zobrist.PawnKeys[1][63], 0xab5ed7876a1930c5ull);
}

TEST_F(Position, NewGameAndTheToolsBuildWhatTheFenReaderAndTheStartUpBuild) {
  PositionRecord fromNewGame;
  std::memcpy(&fromNewGame, &Pos, sizeof Pos);
  EXPECT_TRUE(PositionIsConsistent());
  ASSERT_TRUE(vtest::SetFen(vtest::START_FEN));
  EXPECT_EQ(std::memcmp(&fromNewGame, &Pos, sizeof Pos), 0);
  static AttackTableSet fromStartUp;
  fromStartUp = Attacks;
  InitAttackTables();  // the tools' way
  EXPECT_EQ(std::memcmp(&fromStartUp, &Attacks, sizeof Attacks), 0);
}

}  // namespace
