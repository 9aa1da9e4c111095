// The reference positions of the move-generation tests, with their perft
// counts, and random legal games played from them as game moves.
#pragma once

#include <cctype>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/engine.h"

namespace vtest {

struct Reference {
  const char* Name;
  const char* Fen;
  int Depth = 0;  // perft depth and count of the fast suite
  uint64_t Nodes = 0;
  int DeepDepth = 0;  // and of the slow one
  uint64_t DeepNodes = 0;
};

// Six well-known perft positions, then positions built around en passant,
// castling, promotion and check.
inline const std::vector<Reference>& References() {
  static const std::vector<Reference> table = {
      {"Start", START_FEN, 4, 197281, 5, 4865609},
      {"Kiwipete", KIWIPETE_FEN, 3, 97862, 4, 4085603},
      {"Endgame", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 4, 43238, 5, 674624},
      {"Promotions", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3, 9467, 4, 422333},
      {"Checks", "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 3, 62379, 4, 2103487},
      {"Middlegame", "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 3, 89890, 4,
       3894594},
      {"EpPinnedOnRank", "3k4/3p4/8/K1P4r/8/8/8/8 b - - 0 1", 4, 10138, 6, 1134888},
      {"EpPinnedOnDiagonal", "8/8/4k3/8/2p5/8/B2P2K1/8 w - - 0 1", 4, 10276, 6, 1015133},
      {"EpGivesCheck", "8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1", 4, 13931, 6, 1440467},
      {"ShortCastleGivesCheck", "5k2/8/8/8/8/8/8/4K2R w K - 0 1", 4, 6399, 6, 661072},
      {"LongCastleGivesCheck", "3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", 4, 7418, 6, 803711},
      {"CastlingRights", "r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1", 3, 27826, 4, 1274206},
      {"CastlingPrevented", "r3k2r/8/3Q4/8/8/5q2/8/R3K2R b KQkq - 0 1", 3, 50509, 4, 1720476},
      {"PromoteOutOfCheck", "2K2r2/4P3/8/8/8/8/8/3k4 w - - 0 1", 4, 19174, 6, 3821001},
      {"DiscoveredCheck", "8/8/1P2K3/8/2n5/1q6/8/5k2 b - - 0 1", 4, 31961, 5, 1004658},
      {"PromoteToCheck", "4k3/1P6/8/8/8/8/K7/8 w - - 0 1", 4, 2661, 6, 217342},
      {"UnderPromoteAgainstStalemate", "8/P1k5/K7/8/8/8/8/8 w - - 0 1", 4, 1329, 6, 92683},
      {"SelfStalemate", "K1k5/8/P7/8/8/8/8/8 w - - 0 1", 6, 2217, 6, 2217},
      {"StalemateAndMate", "8/k1P5/8/1K6/8/8/8/8 w - - 0 1", 5, 10857, 7, 567584},
      {"MateAndStalemate", "8/8/2k5/5q2/5n2/8/5K2/8 b - - 0 1", 3, 6559, 4, 23527},
      {"EpTakesTheChecker", "8/8/8/2k5/3Pp3/8/8/4K3 b - d3 0 1", 4, 2369, 5, 17879},
  };
  return table;
}

inline void PrintTo(const Reference& r, std::ostream* out) { *out << r.Name; }
inline std::string ReferenceName(const testing::TestParamInfo<Reference>& info) { return info.param.Name; }

// The colour-flipped twin of a FEN (ranks mirrored, colours and the side to
// move swapped; counters dropped), and of a move in coordinates.
inline std::string MirrorFen(const std::string& fen) {
  std::istringstream in(fen);
  std::string placement, side, castling = "-", ep = "-", rank, mirrored;
  in >> placement >> side >> castling >> ep;
  auto swapCase = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::isupper(c) ? std::tolower(c) : std::toupper(c));
    return s;
  };
  for (std::istringstream ranks(placement); std::getline(ranks, rank, '/');)
    mirrored = swapCase(rank) + (mirrored.empty() ? "" : "/") + mirrored;
  if (ep != "-") ep[1] = static_cast<char>('1' + '8' - ep[1]);
  return mirrored + (side == "w" ? " b " : " w ") + swapCase(castling) + " " + ep;
}

inline std::string MirrorMove(std::string move) {
  move[1] = static_cast<char>('1' + '8' - move[1]);
  move[3] = static_cast<char>('1' + '8' - move[3]);
  return move;
}

// Plays up to `plies` random legal moves from fen, calling visit() at every
// position reached (the start included); returns the moves played.
template <typename Visit>
std::vector<std::string> RandomGame(const std::string& fen, unsigned seed, int plies, Visit visit) {
  std::vector<std::string> moves;
  std::mt19937 random(seed);
  EXPECT_TRUE(SetFen(fen)) << fen;
  std::string line = fen + " moves";
  for (int ply = 0; !testing::Test::HasFatalFailure(); ply++) {
    SCOPED_TRACE(line);
    visit();
    const std::vector<Move> legal = LegalMoves();
    if (ply == plies || legal.empty() || testing::Test::HasFatalFailure()) break;
    moves.push_back(Coord(legal[random() % legal.size()]));
    Play({moves.back()});
    line += " " + moves.back();
  }
  return moves;
}

}  // namespace vtest
