// Hostile input: the built engine, one fresh process per case with a time
// limit, fed what no interface should send (random bytes, endless lines, NUL
// bytes, numbers out of range, broken FENs, impossible moves, thousands of
// takebacks or moves, the end of input inside a search) and random sessions
// made of real command words with random arguments. Every case must end with
// status 0 within its limit, every move the engine writes must be legal where
// the engine stood, and bad input is ignored or draws the engine's message.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "frontend/uci_internal.h"
#include "position/position.h"
#include "search/search.h"
#include "support/engine_process.h"
#include "support/fen_board.h"

namespace {

#ifdef VESSIK_SANITIZED
// Sanitized engines start and search many times slower: fewer random sessions.
constexpr int SESSIONS_PER_TEST = 6;
constexpr int CASE_LIMIT_MS = 60000;
#else
constexpr int SESSIONS_PER_TEST = 25;
constexpr int CASE_LIMIT_MS = 30000;
#endif

const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// "e2e4" or "e7e8q": the only shape a move of the engine may take.
bool CoordinateShape(const std::string& m) {
  if (m.size() != 4 && m.size() != 5) return false;
  if (m[0] < 'a' || m[0] > 'h' || m[2] < 'a' || m[2] > 'h') return false;
  if (m[1] < '1' || m[1] > '8' || m[3] < '1' || m[3] > '8') return false;
  return m.size() == 4 || std::strchr("nbrq", m[4]) != nullptr;
}

// The engine's moves in order: "move X" lines in xboard, the best and ponder
// moves of "bestmove" lines in UCI.
struct EngineMoves {
  std::vector<std::string> Moves;   // xboard moves
  std::vector<std::string> Best;    // UCI best moves ("0000" included)
  std::vector<std::string> Ponder;  // UCI ponder moves ("" when none)
};

EngineMoves ReadMoves(const std::string& output) {
  EngineMoves m;
  for (const std::string& line : Lines(output)) {
    if (StartsWith(line, "move ")) m.Moves.push_back(line.substr(5));
    if (StartsWith(line, "bestmove ")) {
      const std::string rest = line.substr(9);
      const size_t p = rest.find(" ponder ");
      m.Best.push_back(rest.substr(0, p));
      m.Ponder.push_back(p == std::string::npos ? "" : rest.substr(p + 8));
    }
  }
  return m;
}

// The checks every case makes: a clean end in time, well-formed moves, and
// none of the engine's internal consistency messages.
void ExpectCleanRun(const vtest::RunResult& r, const std::string& what) {
  EXPECT_FALSE(r.TimedOut) << what << ": no end within the time limit";
  EXPECT_EQ(r.ExitStatus, 0) << what << "\n" << r.Output.substr(r.Output.size() > 3000 ? r.Output.size() - 3000 : 0);
  const EngineMoves m = ReadMoves(r.Output);
  for (const std::string& mv : m.Moves) EXPECT_TRUE(CoordinateShape(mv)) << what << ": move " << mv;
  for (size_t i = 0; i < m.Best.size(); i++) {
    EXPECT_TRUE(m.Best[i] == "0000" || CoordinateShape(m.Best[i])) << what << ": bestmove " << m.Best[i];
    EXPECT_TRUE(m.Ponder[i].empty() || CoordinateShape(m.Ponder[i])) << what << ": ponder " << m.Ponder[i];
  }
  for (const char* internal : {"Error on undoing", "Error on performing", "Error on Search", "Zero num_ply",
                               "Error on generating"}) {
    EXPECT_EQ(r.Output.find(internal), std::string::npos) << what << ": " << internal;
  }
}

vtest::RunResult RunCase(const std::string& input, int limitMs = CASE_LIMIT_MS) {
  vtest::TempDir dir;
  return vtest::RunEngine(input, dir.Path(), limitMs);
}

// --- The engine's position, rebuilt in this process with the engine's code ---

void InitEngineTables() {
  static bool done = false;
  if (done) return;
  Settings.HashSize = 1u << 20;
  Settings.EvalHashSize = 256u << 10;
  Settings.PawnHashSize = 24u * 4096;
  ASSERT_EQ(AllocateTableBlocks(), 0);
  InitEvalTables();
  Game.LogFile = nullptr;
  Game.ErrorFile = nullptr;
  done = true;
}

// True when coord names a legal move of the position on this process's board.
bool LegalHere(const std::string& coord) {
  if (!CoordinateShape(coord)) return false;
  const Move m = vtest::FindGenerated(coord);
  return m != 0 && IsLegalGameMove(m);
}

// The first xboard move the engine wrote must be legal in fen after moves.
void ExpectFirstMoveLegal(const vtest::RunResult& r, const std::string& fen, const std::vector<std::string>& moves,
                          const std::string& what) {
  const EngineMoves m = ReadMoves(r.Output);
  ASSERT_FALSE(m.Moves.empty()) << what << ": no move\n" << r.Output;
  InitEngineTables();
  vtest::LoadFen(fen);
  for (const std::string& mv : moves) {
    const Move played = vtest::FindGenerated(mv);
    ASSERT_NE(played, 0u) << mv;
    Tree.Ply = 1;
    Tree.HalfmoveClock[1] = 0;
    MakeMove(played);
    Pos.SideToMove ^= 1;
  }
  RecomputeKeys();
  EXPECT_TRUE(LegalHere(m.Moves[0])) << what << ": move " << m.Moves[0] << " after " << fen;
}

// A UCI session replayed line by line through the engine's own UCI executor,
// searches left out: the position each "go" searched, in order, so that every
// bestmove and ponder move can be judged where the engine stood.
std::vector<PositionRecord> UciPositionsAtGo(const std::string& input) {
  InitEngineTables();
  std::vector<PositionRecord> positions;
  Game.HasSetupStart = false;
  NewGame();
  Game.GameMoveCount = 0;
  std::string text = input;
  // The engine's reader: a line ends at its line end (a carriage return before
  // it is dropped) and is read as a C string (a NUL ends it early).
  for (std::string line : Lines(text)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = line.c_str();
    if (line.size() >= static_cast<size_t>(UCI_LINE_SIZE) - 1) continue;  // dropped whole
    UciWordReader reader(line.c_str());
    UciWord w[5];
    int count = 0;
    while (count < 5 && reader.Next(w[count])) count++;
    if (count == 0) continue;
    if (w[0].Is("quit")) break;
    if (w[0].Is("go")) {
      bool perft = false;
      UciWordReader words(line.c_str());
      UciWord x;
      while (words.Next(x)) perft = perft || x.Is("perft");
      if (!perft) positions.push_back(Pos);
      continue;
    }
    // A hash change keeps the position, so only position lines move it.
    if (w[0].Is("position")) UciExecuteLine((line + "\n").c_str());
  }
  return positions;
}

void ExpectUciMovesLegal(const vtest::RunResult& r, const std::string& input, const std::string& what) {
  const EngineMoves m = ReadMoves(r.Output);
  const std::vector<PositionRecord> at = UciPositionsAtGo(input);
  ASSERT_LE(m.Best.size(), at.size()) << what;
  for (size_t i = 0; i < m.Best.size(); i++) {
    Pos = at[i];
    if (m.Best[i] == "0000") {
      EXPECT_EQ(AnyLegalMove(), 0u) << what << ": bestmove 0000 with a legal move at go " << i;
      continue;
    }
    const Move best = vtest::FindGenerated(m.Best[i]);
    ASSERT_TRUE(best != 0 && IsLegalGameMove(best)) << what << ": bestmove " << m.Best[i] << " at go " << i;
    if (m.Ponder[i].empty()) continue;
    Tree.Ply = 1;
    Tree.HalfmoveClock[1] = 0;
    MakeMove(best);
    Pos.SideToMove ^= 1;
    EXPECT_TRUE(LegalHere(m.Ponder[i])) << what << ": ponder " << m.Ponder[i] << " after " << m.Best[i];
  }
}

// --- Fixed cases ------------------------------------------------------------------

TEST(HostileInput, LongLinesLinesWithoutEndAndNulBytes) {
  const std::string huge(100000, 'x');
  const std::string hugeMoves = "e2e4 " + std::string(100000, 'e');
  struct Case {
    const char* What;
    std::string Input;
    const char* Expect;  // a line that must appear ("" for none)
  } cases[] = {
      {"xboard 100 KB line", huge + "\nping 7\nquit\n", "pong 7"},
      {"xboard 100 KB line without end", "ping 3\n" + huge, "pong 3"},
      {"xboard 100 KB line starting with a move", "force\n" + hugeMoves + "\nping 5\n", "pong 5"},
      {"UCI 100 KB line", "uci\n" + huge + "\nisready\n", "readyok"},
      {"UCI 100 KB position line", "uci\nposition startpos moves " + huge + "\nisready\nquit\n", "readyok"},
      {"UCI line without end", "uci\nisready", "readyok"},
      {"NUL bytes", std::string("ping 1\0junk\nprotover 2\0\nping 2\n", 31), "pong 2"},
      {"UCI NUL bytes", std::string("uci\nisr\0eady\nisready\n", 22), "readyok"},
      {"carriage returns", "ping 4\r\n\r\n\r\rquit\r\n", "pong 4"},
      {"only a line end", "\n\n\n\n", ""},
      {"nothing at all", "", ""},
  };
  for (const Case& c : cases) {
    const vtest::RunResult r = RunCase(c.Input);
    ExpectCleanRun(r, c.What);
    if (*c.Expect) {
      EXPECT_NE(r.Output.find(std::string(c.Expect) + "\n"), std::string::npos) << c.What;
    }
  }
}

TEST(HostileInput, RandomBytes) {
  std::mt19937 rng(20240611);
  for (int i = 0; i < 8; i++) {
    std::string input(1 + rng() % 20000, ' ');
    for (char& c : input) c = static_cast<char>(rng() & 255);
    if (i % 2) input = "uci\n" + input;
    ExpectCleanRun(RunCase(input), "random bytes " + std::to_string(i));
  }
}

TEST(HostileInput, NumbersOutOfRange) {
  // Out of range or unreadable numbers leave the settings alone; the engine
  // still plays within a short limit afterwards.
  const std::string xboard =
      "level 0 0 -5\nlevel -40 5 0\nlevel 99999999999 99999999999 99999999999\nlevel 1 2147483647 0\n"
      "sd 0\nsd -5\nsd 99999999999\nst -3\nst 0\nst abc\nst 1e9\ntime -100\notim 99999999999\ntime abc\n"
      "ping 99999999999\nping -99999999999\nping\nperft 0\nperft -1\nperft 99\nst 0.3\nsd 4\ngo\n";
  const vtest::RunResult r = RunCase(xboard, 30000);
  ExpectCleanRun(r, "xboard numbers");
  EXPECT_NE(r.Output.find("pong 2147483647\n"), std::string::npos);
  EXPECT_NE(r.Output.find("pong 0\n"), std::string::npos);
  EXPECT_EQ(r.Output.find("Nodes searched"), std::string::npos) << "perft outside 1..10 does nothing";
  ExpectFirstMoveLegal(r, START_FEN, {}, "xboard numbers");

  const std::string uci =
      "uci\nsetoption name Hash value 999999999\nsetoption name Hash value -5\nsetoption name Hash value x\n"
      "setoption name MultiPV value -3\nsetoption name MultiPV value 99999999999\n"
      "setoption name Tactical factor value -99\nsetoption name Positional strength value 99999999999\n"
      "setoption name Positional strength value -1\nsetoption name\nsetoption\n"
      "position startpos\ngo wtime -1 btime -1 winc -1 binc -1 movestogo -1\n"
      "go depth -5 nodes -1 movetime -1\ngo depth 99999999999 movetime 200\ngo nodes 99999999999 movetime 100\n"
      "go perft -1\ngo perft 0\ngo perft 99999\ngo movestogo 0 wtime 0 btime 0\nisready\n";
  const vtest::RunResult u = RunCase(uci, 60000);
  ExpectCleanRun(u, "UCI numbers");
  EXPECT_EQ(ReadMoves(u.Output).Best.size(), 5u) << u.Output;
  EXPECT_NE(u.Output.find("readyok\n"), std::string::npos);
  ExpectUciMovesLegal(u, uci, "UCI numbers");
}

TEST(HostileInput, BrokenFensLeaveThePositionAlone) {
  const char* fens[] = {
      "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",         // nine files
      "rnbqkbnr/ppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",        // nine pieces on a rank
      "rnbqkbnr/pppppppp/8/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",       // nine ranks
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq -",                  // seven ranks: no white king
      "4k3/8/8/8/8/8/8/8 w - -",                                      // no white king
      "8/8/8/8/8/8/8/8 w - -",                                        // no kings
      "4k2k/8/8/8/8/8/8/4K3 w - -",                                   // two black kings
      "4k3/8/8/8/8/8/8/3KK3 w - -",                                   // two white kings
      "4k3/8/8/8/8/8/8/P3K3 w - -",                                   // pawn on the first rank
      "p3k3/8/8/8/8/8/8/4K3 w - -",                                   // pawn on the eighth rank
      "4k3/4Q3/8/8/8/8/8/4K3 w - -",                                  // the side not to move in check
      "4k3/8/8/8/8/8/8/4K3/",                                         // a rank left short
      "//////////////////////////////",                               // slashes only
      "",                                                             // nothing
      "\x01\x7f\xff\xfe/8/8/8 w",                                     // bytes
  };
  for (const char* fen : fens) {
    // xboard: setboard is refused and the engine plays White from the start.
    const std::string input = std::string("new\nforce\nsetboard ") + fen + "\nst 0.2\nsd 3\ngo\n";
    const vtest::RunResult r = RunCase(input);
    ExpectCleanRun(r, std::string("setboard ") + fen);
    ExpectFirstMoveLegal(r, START_FEN, {}, std::string("setboard ") + fen);

    // UCI: the position stays where the last accepted command left it.
    const std::string uci = std::string("uci\nposition startpos moves e2e4\nposition fen ") + fen +
                            " moves e7e5\ngo depth 3\nposition fen " + fen + "\ngo depth 2\n";
    const vtest::RunResult u = RunCase(uci);
    ExpectCleanRun(u, std::string("position fen ") + fen);
    EXPECT_EQ(ReadMoves(u.Output).Best.size(), 2u) << fen << "\n" << u.Output;
    ExpectUciMovesLegal(u, uci, std::string("position fen ") + fen);
  }
  // FENs with fields missing are completed, not refused.
  const vtest::RunResult r = RunCase("setboard 4k3/8/8/8/8/8/8/4K2R\nforce\nst 0.2\ngo\n");
  ExpectCleanRun(r, "missing fields");
  ExpectFirstMoveLegal(r, "4k3/8/8/8/8/8/8/4K2R w - -", {}, "missing fields");
}

TEST(HostileInput, ImpossibleMovesAreRefusedWithoutChange) {
  // Moves for the wrong side, from empty squares, into the own king's check:
  // refused, and nothing changes; lines that are no moves draw no reply.
  const std::string input =
      "new\nforce\ne7e5\ne3e4\na1a1\nz9z9\ni2i4\ne2e5\ne1e2\ne1g1\ne2e4\ne2e4\ne7e5\ne1e3\n"
      "d8h4\ne8e7\ng1f3\ne7e6\nxxxx\ne2\n12345\ne2e4e5\nping 9\nst 0.2\nsd 3\ngo\n";
  const vtest::RunResult r = RunCase(input);
  ExpectCleanRun(r, "impossible moves");
  const std::string before = r.Output.substr(0, r.Output.find("pong 9\n"));
  std::string refused;
  for (const char* m : {"e7e5", "e3e4", "a1a1", "e2e5", "e1e2", "e1g1", "e2e4", "e1e3", "d8h4", "e8e7", "e7e6",
                        "e2e4e5"})
    refused += std::string("Illegal move: ") + m + "\n";
  EXPECT_NE(before.find(refused), std::string::npos) << before;
  EXPECT_EQ(before.find("Error"), std::string::npos);
  ExpectFirstMoveLegal(r, START_FEN, {"e2e4", "e7e5", "g1f3"}, "impossible moves");
}

TEST(HostileInput, TakebacksAndForwardsBeyondTheGame) {
  std::string input = "new\nforce\nremove\nundo\nforward\nforward\ne2e4\ne7e5\n";
  for (int i = 0; i < 3000; i++) input += "undo\n";
  for (int i = 0; i < 50; i++) input += "forward\n";
  for (int i = 0; i < 20; i++) input += "remove\nretake\nback\n";
  input += "forward\nforward\nforward\nforward\nst 0.2\nsd 3\ngo\n";
  const vtest::RunResult r = RunCase(input);
  ExpectCleanRun(r, "takebacks");
  // "forward" is refused once the record is empty again.
  ExpectFirstMoveLegal(r, START_FEN, {}, "takebacks");
}

TEST(HostileInput, ThreeThousandMoves) {
  std::string moves;
  const char* shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
  for (int i = 0; i < 3000; i++) moves += std::string(i ? " " : "") + shuffle[i % 4];
  // UCI: the list stops at the game record's 2048 half-moves (a multiple of
  // four: the start position again).
  const std::string uci = "uci\nposition startpos moves " + moves + "\ngo depth 3\nposition startpos moves " +
                          moves + " e2e4\ngo depth 2\nisready\n";
  const vtest::RunResult u = RunCase(uci);
  ExpectCleanRun(u, "UCI 3000 moves");
  ASSERT_EQ(ReadMoves(u.Output).Best.size(), 2u) << u.Output;
  ExpectUciMovesLegal(u, uci, "UCI 3000 moves");
  const std::string fenUci = "uci\nposition fen " + std::string(START_FEN) + " 0 1 moves " + moves + "\ngo depth 3\n";
  const vtest::RunResult f = RunCase(fenUci);
  ExpectCleanRun(f, "UCI fen 3000 moves");
  ExpectUciMovesLegal(f, fenUci, "UCI fen 3000 moves");

  // xboard: the record holds 2048 half-moves; the game then ends.
  std::string xboard = "new\nforce\n";
  for (int i = 0; i < 3000; i++) xboard += std::string(shuffle[i % 4]) + "\n";
  xboard += "st 0.2\ngo\nping 1\n";
  const vtest::RunResult x = RunCase(xboard);
  ExpectCleanRun(x, "xboard 3000 moves");
  EXPECT_NE(x.Output.find("pong 1\n"), std::string::npos);
  EXPECT_TRUE(ReadMoves(x.Output).Moves.empty()) << "no room for another move";
}

TEST(HostileInput, EditDialogueOffTheBoardAndUnplayable) {
  // An off-board square ends the program, at once and with status 0.
  for (const char* line : {"Pi9", "Kz1", "Qa0", "Ra\x7f"}) {
    const vtest::RunResult r = RunCase(std::string("edit\n") + line + "\nping 1\n");
    ExpectCleanRun(r, std::string("edit ") + line);
    EXPECT_EQ(r.Output.find("pong"), std::string::npos) << "nothing is read after the square";
  }
  // Boards that cannot be played are refused: the game from before goes on.
  for (const char* board : {"#\nKe1\nQd1\n", "#\n", "#\nKe1\nKe2\nc\nKe8\n", "#\nKe1\nPh8\nc\nKe8\n",
                            "#\nKe1\nc\nKe8\nPa1\n", "#\nKe1\nQe7\nc\nKe8\n", "x\nKe1\n\n\nc\n#\nKe1\n"}) {
    const std::string input = std::string("new\nforce\nedit\n") + board + ".\nst 0.2\nsd 3\ngo\n";
    const vtest::RunResult r = RunCase(input);
    ExpectCleanRun(r, std::string("edit ") + board);
    ExpectFirstMoveLegal(r, START_FEN, {}, std::string("edit ") + board);
  }
  // A playable board is taken, and played from.
  const vtest::RunResult r = RunCase("new\nforce\nedit\n#\nKe1\nRa1\nc\nKe8\n.\nst 0.2\nsd 3\ngo\n");
  ExpectCleanRun(r, "edit playable");
  ExpectFirstMoveLegal(r, "4k3/8/8/8/8/8/8/R3K3 w Q -", {}, "edit playable");
}

TEST(HostileInput, EndOfInputInsideASearch) {
  // The search notices the end of input and the engine ends: well before the
  // time it was given runs out.
  const std::string cases[] = {
      "new\nlevel 0 60 0\ntime 360000\notim 360000\ngo\n",
      "new\nst 600\ngo\n",
      "new\nanalyze\n",
      "new\nhard\nlevel 0 60 0\nsd 2\ngo\n",  // the end of input comes while pondering
      "uci\nposition startpos\ngo infinite\n",
      "uci\nposition startpos\ngo ponder wtime 600000 btime 600000\n",
      "uci\nposition startpos\ngo wtime 3600000 btime 3600000\n",
      "uci\nposition startpos\ngo movetime 600000\n",
  };
  for (const std::string& input : cases) {
    const vtest::RunResult r = RunCase(input, 20000);
    ExpectCleanRun(r, input);
  }
}

TEST(HostileInput, MessagesForBadFiles) {
  std::mt19937 rng(7);
  std::string junk(3000, ' ');
  for (char& c : junk) c = static_cast<char>(rng() & 255);
  {
    // A Book.pgn that is not a book: the maker names the first bad word.
    vtest::TempDir dir;
    dir.Write("Book.pgn", "e4 e5 Cf3 Zz9 Cc6\n");
    const vtest::RunResult r = vtest::RunEngine("makebook\nping 1\n", dir.Path(), CASE_LIMIT_MS);
    ExpectCleanRun(r, "makebook");
    EXPECT_NE(r.Output.find("Error on book.pgn line:"), std::string::npos) << r.Output;
    EXPECT_NE(r.Output.find("pong 1\n"), std::string::npos);
  }
  {
    // Book.pgn, Book.bin, option.txt, a saved game and an EPD file of junk.
    vtest::TempDir dir;
    for (const char* name : {"Book.pgn", "Book.bin", "option.txt", "junk.dat", "junk.epd"}) dir.Write(name, junk);
    const vtest::RunResult r = vtest::RunEngine(
        "makebook\nload\njunk\nforce\nping 2\ntestepd\njunk.epd\n1\nnew\nst 0.2\nsd 3\ngo\n", dir.Path(),
        CASE_LIMIT_MS);
    ExpectCleanRun(r, "junk files");
    EXPECT_NE(r.Output.find("pong 2\n"), std::string::npos);
  }
  {
    // Names at the save and load prompts that cannot be files.
    vtest::TempDir dir;
    const vtest::RunResult r = vtest::RunEngine(
        "force\ne2e4\nsave\n" + std::string(300, 'n') + "\nsave\n/nonexistent/dir/x\nload\nmissing\nping 3\n", dir.Path(),
        CASE_LIMIT_MS);
    ExpectCleanRun(r, "save and load names");
    EXPECT_NE(r.Output.find("Disk is full."), std::string::npos);
    EXPECT_NE(r.Output.find("File not found."), std::string::npos);
    EXPECT_NE(r.Output.find("pong 3\n"), std::string::npos);
  }
}

TEST(HostileInput, UciSearchesStoppedEarlyAnswerALegalMove) {
  // The position searched again: the first iterations end on stored results.
  // One of them without a move must not leave the search nothing to play when
  // the end of input stops it.
  const std::string kiwipete = "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b Kq\n";
  const std::string input = "uci\n" + kiwipete + "go wtime 500 btime 500\ngo depth 3\ngo nodes 3000\n";
  const vtest::RunResult r = RunCase(input);
  ExpectCleanRun(r, "stored results at the root");
  ASSERT_EQ(ReadMoves(r.Output).Best.size(), 3u) << r.Output;
  EXPECT_NE(ReadMoves(r.Output).Best[2], "0000");
  ExpectUciMovesLegal(r, input, "stored results at the root");

  // A stop read at the first look at the input, after five nodes.
  const std::string stop = "uci\nposition startpos moves e2e4 c7c5\ngo nodes 5\nstop\ngo nodes 1\n";
  const vtest::RunResult s = RunCase(stop);
  ExpectCleanRun(s, "stop at once");
  for (const std::string& best : ReadMoves(s.Output).Best) EXPECT_NE(best, "0000") << s.Output;
  ExpectUciMovesLegal(s, stop, "stop at once");
}

TEST(HostileInput, NulBytesInLinesReadDuringAUciSearch) {
  // A line cut short by a NUL byte is a whole line: the line after it is not
  // taken as its rest. A long line with a NUL byte keeps its rest to itself.
  const std::string input = std::string("uci\nposition startpos\ngo infinite\nab\0cd\nisready\nstop\n", 53) +
                            std::string("go infinite\nxx\0", 15) + std::string(300, 'y') +
                            " isready\nstop\ngo depth 2\nisready\n";
  const vtest::RunResult r = RunCase(input);
  ExpectCleanRun(r, "NUL bytes during a search");
  EXPECT_EQ(ReadMoves(r.Output).Best.size(), 3u) << r.Output;
  size_t ready = 0;
  for (const std::string& line : Lines(r.Output)) ready += line == "readyok";
  EXPECT_EQ(ready, 2u) << r.Output;
}

// --- Random sessions from real command words ------------------------------------------

class SessionMaker {
 public:
  explicit SessionMaker(uint32_t seed) : rng_(seed) {}

  std::string Xboard() {
    std::string s = Pick({"xboard\nprotover 2\n", "", "new\n"});
    s += Pick({"st 0.2\n", "level 0 0:05 0.1\ntime 500\notim 500\n", "sd 3\n", "level 40 0 0\ntime 300\n"});
    const int n = 5 + Below(50);
    for (int i = 0; i < n; i++) s += XboardLine() + "\n";
    if (Below(4)) s += "quit\n";
    return s;
  }

  std::string Uci() {
    std::string s = "uci\n";
    const int n = 5 + Below(40);
    for (int i = 0; i < n; i++) s += UciLine() + "\n";
    if (Below(4)) s += "quit\n";
    return s;
  }

 private:
  int Below(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
  std::string Pick(std::initializer_list<const char*> items) {
    auto it = items.begin();
    std::advance(it, Below(static_cast<int>(items.size())));
    return *it;
  }
  std::string Number() {
    return Pick({"0", "1", "-1", "-5", "3", "40", "99999999999", "-99999999999", "2147483648", "0:10", "1.5",
                 "abc", "", "007", "+3", "1e9", "5"});
  }
  std::string Bytes() {
    std::string b(1 + Below(300), ' ');
    for (char& c : b) {
      c = static_cast<char>(rng_() & 255);
      if (c == '\n') c = ' ';
    }
    return b;
  }
  std::string SomeMove() {
    std::string m = {static_cast<char>('a' + Below(10)), static_cast<char>('0' + Below(10)),
                     static_cast<char>('a' + Below(10)), static_cast<char>('0' + Below(10))};
    if (!Below(5)) m += "qrbnkx"[Below(6)];
    return m;
  }
  std::string GoodMove() {
    return Pick({"e2e4", "e7e5", "g1f3", "b8c6", "d2d4", "d7d5", "f1c4", "g8f6", "e1g1", "a7a8q", "e4d5", "b1c3"});
  }
  std::string Fen() {
    return std::string(Pick({START_FEN, "4k3/8/8/8/8/8/8/4K3", "8/8/8/8", "kk6/8/8/8/8/8/8/KK6",
                             "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR", "8/8/8/8/8/8/8/8/8/8",
                             "4k3/4Q3/8/8/8/8/8/4K3", "7k/5Q2/6K1/8/8/8/8/8", "k7/P7/K7/8/8/8/8/8",
                             "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R", "4k3/8/8/3pP3/8/8/8/4K3"})) +
           Pick({"", " w", " b", " W"}) + Pick({"", " KQkq", " -", " Kq"}) + Pick({"", " -", " e3", " d6", " z9"});
  }
  std::string XboardLine() {
    const int c = Below(100);
    if (c < 8) return Bytes();
    if (c < 25) return Below(2) ? SomeMove() : GoodMove();
    if (c < 30) return "setboard " + Fen();
    if (c < 33) return "edit\n" + Pick({"#\n", "c\n", "", "Ke1\n", "Qd4\n", "Pa1\n", "Kz9\n"}) +
                       Pick({"Ke8\n", "Ke1\nc\nKe8\n", "", "xe4\n"}) + ".";
    std::string word = Pick({"protover", "ping", "force", "undo", "retake", "back", "go", "forward", "new",
                             "white", "black", "level", "remove", "analyze", "exit", "time", "otim", "easy", "hard",
                             "st", "sd", "perft", "?", ".", "post", "nopost", "random", "computer", "accepted",
                             "result", "draw", "hint", "bk", "name", "rating", "usermove", "memory", "cores", "print",
                             "quit", "one", "two"});
    std::string args;
    if (word == "perft") {
      args = Pick({"1", "2", "3", "0", "-1", "11", "abc"});
    } else if (word == "st") {
      args = Pick({"0.2", "1", "-3", "0", "abc", "0.05"});
    } else if (word == "sd") {
      args = Pick({"1", "3", "0", "-2", "99999999999"});
    } else if (word == "quit") {
      word = "quiet";  // quit ends the session; the last line decides that
    } else {
      for (int i = Below(4); i > 0; i--) args += (args.empty() ? "" : " ") + Number();
    }
    if (!Below(4)) {
      for (char& ch : word) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return args.empty() ? word : word + " " + args;
  }
  std::string UciLine() {
    const int c = Below(100);
    if (c < 8) return Bytes();
    if (c < 35) {
      std::string s = Below(2) ? "position startpos" : "position fen " + Fen() + Pick({"", " 0 1", " 5"});
      if (Below(10) < 7) {
        s += " moves";
        for (int i = Below(8); i > 0; i--) s += " " + (Below(2) ? SomeMove() : GoodMove());
      }
      return s;
    }
    if (c < 60) {
      std::string s = "go";
      for (int i = Below(4); i > 0; i--) {
        const std::string p = Pick({"wtime", "btime", "winc", "binc", "movestogo", "depth", "nodes", "movetime",
                                    "infinite", "ponder", "mate", "searchmoves"});
        s += " " + p;
        if (p != "infinite" && p != "ponder") s += " " + Pick({"-1", "0", "1", "50", "300", "99999999999", "x"});
      }
      // Every search gets a bound that ends it soon.
      s += Pick({" depth 3", " movetime 60", " nodes 3000", " wtime 500 btime 500"});
      if (s.find("infinite") != std::string::npos || s.find("ponder") != std::string::npos)
        s += Pick({"\nstop", "\nisready\nstop", "\nponderhit", "\nposition startpos\nstop"});
      return s;
    }
    if (c < 64) return "go perft " + Pick({"1", "2", "3", "0", "-3", "11", "x"});
    if (c < 80) {
      return "setoption name " +
             Pick({"Hash", "MultiPV", "Clear Hash", "Futility", "Tactical factor", "Analyse mode",
                   "Positional strength", "Ponder", "Bogus"}) +
             Pick({" value ", " value", " ", " value  "}) + Number();
    }
    return Pick({"isready", "stop", "ponderhit", "ucinewgame", "debug on", "register later", "uci", "quitt",
                 "position", "position fen", "go perft", "setoption"});
  }

  std::mt19937 rng_;
};

// The input of a failed session, kept in the current folder to be replayed:
// build/vessik < hostile-xboard-1234.txt
void KeepFailedInput(const char* protocol, uint32_t seed, const std::string& input) {
  const std::string name = std::string("hostile-") + protocol + "-" + std::to_string(seed) + ".txt";
  if (FILE* f = std::fopen(name.c_str(), "wb")) {
    std::fwrite(input.data(), 1, input.size(), f);
    std::fclose(f);
  }
  ADD_FAILURE() << "input kept in " << name << ":\n" << input.substr(0, 4000);
}

void RandomXboardSessions(uint32_t firstSeed) {
  for (uint32_t seed = firstSeed; seed < firstSeed + SESSIONS_PER_TEST; seed++) {
    const std::string input = SessionMaker(seed).Xboard();
    ExpectCleanRun(RunCase(input), "xboard session, seed " + std::to_string(seed));
    if (testing::Test::HasFailure()) {
      KeepFailedInput("xboard", seed, input);
      return;
    }
  }
}

void RandomUciSessions(uint32_t firstSeed) {
  for (uint32_t seed = firstSeed; seed < firstSeed + SESSIONS_PER_TEST; seed++) {
    const std::string input = SessionMaker(seed).Uci();
    const vtest::RunResult r = RunCase(input);
    const std::string what = "UCI session, seed " + std::to_string(seed);
    ExpectCleanRun(r, what);
    ExpectUciMovesLegal(r, input, what);
    if (testing::Test::HasFailure()) {
      KeepFailedInput("uci", seed, input);
      return;
    }
  }
}

// Split over several tests so that CTest can run them side by side.
TEST(HostileSessions, Xboard1) { RandomXboardSessions(1000); }
TEST(HostileSessions, Xboard2) { RandomXboardSessions(2000); }
TEST(HostileSessions, Xboard3) { RandomXboardSessions(3000); }
TEST(HostileSessions, Uci1) { RandomUciSessions(1000); }
TEST(HostileSessions, Uci2) { RandomUciSessions(2000); }
TEST(HostileSessions, Uci3) { RandomUciSessions(3000); }

}  // namespace
