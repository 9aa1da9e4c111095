// EPD test runner: each record of a test file is set up, searched for a fixed
// time and its move compared with the record's expected one; Result.txt gets
// one line per position.
#include <cstdio>
#include <cstring>

#include "eval/eval.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "position/position.h"
#include "search/search.h"
#include "tools/tools.h"

namespace {

constexpr int NAME_SIZE = 256;
constexpr int RECORD_MAX = 255;  // characters of a record kept, up to its ';'
constexpr int MAX_MOVE_SECONDS = 1000000;
constexpr int MAX_ITERATIONS = 40;
constexpr int WRONG_ANSWER_TIME = 600;

// Inside a record only spaces and tabs part the fields.
bool IsFieldSpace(int c) { return c == ' ' || c == '\t'; }

// Reads one record up to and including its ';', then drops the rest of the
// line. A record longer than RECORD_MAX characters keeps its first
// RECORD_MAX; the rest up to the ';' is skipped. False at the end of the file.
bool ReadRecord(FILE* file, char* record) {
  int n = 0;
  for (;;) {
    const int c = std::fgetc(file);
    if (c == EOF) return false;
    if (n < RECORD_MAX) record[n++] = static_cast<char>(c);
    if (c == ';') break;
  }
  record[n] = 0;
  for (int c = std::fgetc(file); c != EOF && c != '\n'; c = std::fgetc(file)) {
  }
  return true;
}

// Where and why the scan of a record ended.
enum ScanEnd { SCAN_END_OF_RECORD, SCAN_STOPPED, SCAN_BAD_RANK };
struct ScanResult {
  ScanEnd End;
  int Index;   // index of the character the scan stopped at
  int Field;   // 1 placement, 2 side to move, 3 castling and what follows
  int Square;  // the placement's square counter at the stop
};

// Reads placement, side to move and castling rights onto the (empty) board,
// up to the first character that none of the fields takes.
ScanResult ScanRecord(const char* record) {
  int field = 1, square = 56;
  for (int i = 0;; i++) {
    const char c = record[i];
    if (c == 0) return {SCAN_END_OF_RECORD, i, field, square};
    if (c == '/') {
      square -= 16;
      if (square % 8 != 0) return {SCAN_BAD_RANK, i, field, square};
    } else if (c >= '0' && c <= '9') {
      square += c - '0';
    } else if (field == 1 && PieceCodeOfLetter(c)) {
      // A piece that would land off the board ends the scan like any other
      // character that cannot be read.
      if (square < 0 || square > 63) return {SCAN_STOPPED, i, field, square};
      const int code = PieceCodeOfLetter(c);
      Pos.Board[square] = static_cast<uint8_t>(code);
      if (TypeOfCode(code) == KING) Pos.KingSquare[IsBlackCode(code) ? BLACK : WHITE] = static_cast<uint8_t>(square);
      square++;
    } else if (c == ' ' || c == '-') {
      if (field < 3) field++;
    } else if (field == 2 && (c == 'w' || c == 'b')) {
      Pos.SideToMove = c == 'w' ? WHITE : BLACK;
      field = 3;
    } else if (field == 3 && (c == 'K' || c == 'Q' || c == 'k' || c == 'q')) {
      Pos.CastleRights |= c == 'K' ? 1 : c == 'Q' ? 2 : c == 'k' ? 4 : 8;
    } else if (field == 3 && (c == 'b' || c == 'a')) {
      // the start of "bm" or "am"
    } else {
      return {SCAN_STOPPED, i, field, square};
    }
  }
}

// The expected move: the word after the 'm' at `at`, at most SOLUTION_MAX
// characters (the rest of a longer word is left out).
void CopySolution(const char* record, int at, char* solution) {
  const char* p = record + at + 1;
  while (IsFieldSpace(*p)) p++;
  int n = 0;
  while (*p && *p != ';' && !IsFieldSpace(*p)) {
    if (n < SOLUTION_MAX) solution[n++] = *p;
    p++;
  }
  solution[n] = 0;
}

// One king a side, no pawn on the first or eighth rank, and the side that has
// just moved not in check: the search can play nothing else. Builds the
// bitboards and occupancies of the scanned board on the way.
bool Playable() {
  int kings[2] = {0, 0};
  for (int s = 0; s < 64; s++) {
    const int code = Pos.Board[s];
    if (TypeOfCode(code) == KING) kings[IsBlackCode(code) ? BLACK : WHITE]++;
    if (TypeOfCode(code) == PAWN && (s < 8 || s >= 56)) return false;
  }
  if (kings[WHITE] != 1 || kings[BLACK] != 1) return false;
  RecomputeBitboards();
  RecomputeRotated();
  RecomputeDiagonals();
  const int side = Pos.SideToMove;
  return !IsAttacked(Pos.KingSquare[side ^ 1], side);
}

// The scanned board, once Playable, as the search's position, with the
// castling rights that the kings and rooks can carry.
void SetUpPosition() {
  const uint8_t claimed = Pos.CastleRights;
  RecomputeCastleRights();
  Pos.CastleRights &= claimed;
  Pos.EnPassantBB = 0;
  RecomputeKeys();
  Pos.ImbalanceKey = ComputeImbalanceKey();
  History.GameMoveCount = 0;
  AdvanceSearchAge();
  std::memset(Srch.HistoryTable, 0, sizeof Srch.HistoryTable);
  std::memset(Srch.Killer1, 0, sizeof Srch.Killer1);
  std::memset(Srch.Killer2, 0, sizeof Srch.Killer2);
  History.GameHalfmoveClock = 0;
  Tree.Ply = 1;
  Tree.MoveAtPly[1] = 0;
}

void EndTest(FILE* test, FILE* result, SearchLimits& limits) {
  std::fclose(test);
  std::fclose(result);
  limits.TestSuiteRunning = false;
}

// The seconds a word gives, the way "%d" reads them; 0 when it has none.
int WordToSeconds(const char* word) {
  int32_t v = 0;
  ReadInt(word, v);
  return v < 0 ? 0 : v > MAX_MOVE_SECONDS ? MAX_MOVE_SECONDS : v;
}

}  // namespace

void RunEpdTest(SearchLimits& limits, SearchReporter& reporter, FILE* log, Move (*bookMove)()) {
  char name[NAME_SIZE];
  std::printf("Please enter your file name ");
  std::fflush(stdout);
  if (ReadPromptWord(name, sizeof name, log) == 0) return;

  FILE* test = std::fopen(name, "r");
  FILE* result = std::fopen("Result.txt", "w");
  if (!result) {
    if (test) std::fclose(test);
    std::printf("Could not create a file. Maybe disk is full\n");
    std::fflush(stdout);
    return;
  }
  if (!test) {
    std::fclose(result);
    std::printf("File not found. Try again later!\n");
    std::fflush(stdout);
    return;
  }

  char word[NAME_SIZE];
  std::printf("Please enter time for each move in second: ");
  std::fflush(stdout);
  if (ReadPromptWord(word, sizeof word, log) == 0) {
    std::fclose(test);
    std::fclose(result);
    return;
  }
  limits.MoveTimeBudget = WordToSeconds(word) * 100;
  limits.TestSuiteRunning = true;
  int number = 1, correct = 0;

  char record[RECORD_MAX + 1];
  char solution[SOLUTION_MAX + 1];
  char played[SAN_TEXT_SIZE];
  for (;; number++) {
    // A search that met the end of standard input has stopped at once, and
    // so would every later one: the test ends as the program will.
    if (InputEnded()) {
      EndTest(test, result, limits);
      return;
    }
    std::printf("\nPosition# %d analysing....   Correct= %d\n", number, correct);
    std::fflush(stdout);
    // A record that is not set up leaves the position it found.
    const PositionRecord before = Pos;
    std::memset(Pos.Board, 0, sizeof Pos.Board);
    solution[0] = 0;
    Srch.SolutionText[0] = 0;
    Pos.CastleRights = 0;

    if (!ReadRecord(test, record)) {
      Pos = before;
      EndTest(test, result, limits);
      return;
    }

    const ScanResult scan = ScanRecord(record);
    if (scan.End == SCAN_BAD_RANK) {
      Pos = before;
      std::printf("Error: Square is not dividable over 8 (Pos: %d)\n", number);
      std::fflush(stdout);
      WaitKey();
      EndTest(test, result, limits);
      return;
    }
    if (scan.End == SCAN_STOPPED) {
      const char c = record[scan.Index];
      if (c == 'm' && scan.Field == 3) {
        if (scan.Square != 8) {
          Pos = before;
          std::printf("Error on End Square Pos: %d\n", number);
          std::fflush(stdout);
          EndTest(test, result, limits);
          return;
        }
        CopySolution(record, scan.Index, solution);
        std::snprintf(Srch.SolutionText, sizeof Srch.SolutionText, "%s ", solution);
      } else if (c != ';') {
        Pos = before;
        std::printf("Unknown format (Pos: %d) seek: %d  char:%c\n", number, scan.Index, c);
        std::fflush(stdout);
        WaitKey();
        EndTest(test, result, limits);
        return;
      }
    }

    Srch.SolutionTime = 0;
    played[0] = 0;
    if (!Playable()) {
      // Nothing the search could be trusted with: scored as a wrong answer.
      Pos = before;
      std::printf("Position# %d cannot be played\n", number);
      std::fflush(stdout);
    } else {
      SetUpPosition();
      std::printf("Static = %d\n", Evaluate(-31000, 31000));
      std::fflush(stdout);
      const Move book = bookMove ? bookMove() : 0;
      if (book) {
        RecordMoveWithoutSearch(book);
      } else {
        limits.DepthHint = 1;
        limits.MaxDepth = MAX_ITERATIONS;
        Think(limits, reporter);
      }
      Tree.Ply = 1;
      const Move move = Srch.PvTable[0][1];
      if (move != 0 && IsMovePossible(move)) FormatRootMove(move, played);
    }

    if (Srch.SolutionText[0] == 0 || std::strcmp(played, Srch.SolutionText) != 0) {
      Srch.SolutionTime = WRONG_ANSWER_TIME;
    } else {
      correct++;
    }
    std::fprintf(result, "Pos# %d      Correct %s     Played %s     Time for solution: %d\n", number, solution, played,
                 Srch.SolutionTime);
    std::fflush(result);
  }
}
