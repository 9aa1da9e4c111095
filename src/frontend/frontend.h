// Front end: start-up and option.txt, position input, the console/xboard
// command loop, the game loop, UCI and chat.
#pragma once

#include <cstdint>

#include "search/search.h"
#include "tools/tools.h"

// The front end's own settings. The search's settings are SearchConfig
// (search.h), the evaluation's EvalConfig (eval.h); the option code here is
// the one writer of all three.
struct EngineSettings {
  bool ChatMode;
  int XboardOutput;        // 1: xboard thinking lines, 0: UCI info lines
  bool OwnBook = true;     // the opening book is consulted
  int32_t MoveOverheadMs;  // UCI: held back from the clock for the move's way to the GUI
};
extern EngineSettings Settings;

// The clocks and search switches of the game, kept between searches: the
// limits every search of the engine starts from (LimitsForSearch fills the
// rest). Written by the front end; Think gives back the clock fields a
// search changed.
extern SearchLimits Clock;

// --- Start-up, new game, table sizes ----------------------------------------
// Everything the engine builds before the first command: every table, a new
// game position, empty tables and the book.
void StartEngine();
// The tables' part of a new game and the book: every table built where not
// yet, a new game position, the transposition table and caches emptied, the
// book loaded again (which undoes book learning).
void ResetTablesAndBook();
// What every new game record starts with (xboard "new", the game loop's
// start, an edited board): no moves, no move into the start, no resignation.
void StartGameRecord();
// The sizes of a UCI total in megabytes (printed), the tables allocated and
// set up as for a new game. A failed allocation keeps the tables and sizes in
// use. With keepGame the position, the game record and its repetition
// history stay (UCI Hash, xboard memory).
void ResizeTables(int totalMb, bool keepGame);

// --- The door to the search ---------------------------------------------------
// The reporter of the protocol in use (Settings.XboardOutput).
SearchReporter& ProtocolReporter();
// The limits of the next search from the game's clocks and state, the
// protocol and the settings.
SearchLimits& LimitsForSearch(int depthHint, int maxDepth);
// The engine's search of the current position: the book first, then Think
// with the limits of the game and the protocol's reporter. Returns the score.
int SearchFromFrontEnd(int depthHint, int maxDepth);
// The book move for the position when the book may be used here (own book
// on and loaded, no set-up start, not analysing, not an infinite search); 0
// otherwise. Marks the game out of book when the book has nothing.
Move FrontEndBookMove(bool infinite);

// The tools through the same door: the benchmark (positions set up by the
// FEN reader here) and the EPD test runner (the game's limits, the protocol's
// reporter, the log, the book).
BenchResult RunEngineBench(int depth, bool verbose);
void RunEngineEpdTest();

// Search lines (the reporters' formatting, for the protocol in use).
void PrintPv(int score, int depth);
void PrintFailHigh(int score, int depth);
void PrintFailLow(int score, int depth);
void PrintCurrentMove(Move move, int number, int depth);
void PrintStatus();
void PrintMultiPv();
// UCI, before bestmove: a whole information line (depth, score, time, nodes,
// nps and the line) for the move about to be played, unless the last line
// printed gave it already; for no move at all, the score of the mate or
// stalemate.
void PrintFinalInfo(Move best);
// First move of the last whole UCI line printed in this search.
struct UciReportState {
  Move FirstMove;
};
extern UciReportState Reported;

// The lines a search read but did not act on (Game.PendingLines): the
// command loop runs them, in order, before it reads standard input again.
// Queueing fails when the queue is full; taking fails when it is empty.
bool QueuePendingLine(const char* line);
bool TakePendingLine(char* line);  // PENDING_LINE_SIZE bytes
void ClearPendingLines();

// --- Options an interface sets ---------------------------------------------------
// One table serves the UCI option lines and setoption, and the xboard option
// features and option command.
void PrintUciOptions();
// The UCI defaults, set by the handshake (the table sizes are set apart).
void ResetUciOptions();
// The values the engine starts with, before option.txt.
void ResetStartOptions();
// A word of option.txt (`length` characters) that names an option of the
// table: "KEY=TRUE" or "KEY=FALSE" for a check, "KEY" for a number, which is
// then read from rest (rest moves past it; without one nothing is stored).
// The value is stored as given. False for any other word.
bool StoreFileOption(const char* word, int length, const char*& rest);
// setoption: the option's name and its value word (null when the line has no
// "value"). Numbers are taken within the option's range; a check changes from
// its default only with the exact word of the other state. False when no
// option of that name applies.
bool SetUciOption(const char* name, int nameLength, const char* value, int valueLength);
// The option="..." feature lines of the options a person sets in the engine
// dialogue of an xboard interface, with their current values.
void PrintXboardOptionFeatures();
// The text after "option ": NAME=VALUE. False when it names no such option
// or the value is not a number.
bool SetXboardOption(const char* text);

// Banner, option.txt, table allocation, then the game loop. Returns the exit status.
int RunEngine();
// The command line "vessik bench": the benchmark at its signature depth, with
// neither banner nor option.txt, then the end. Returns the exit status.
int RunBenchProgram();

void PrintBanner();
// Sets the defaults, reads option.txt from the current directory (if it opens),
// rounds the table sizes and prints the three size lines and the strength line.
void ReadOptionFile(const char* path);

// The game loop; returns when a quit command (or the end of input) ends the program.
void GameLoop();

// --- Position input -----------------------------------------------------------
// Fills board (64 piece codes, a1 first) from a FEN placement word of `length`
// characters. False, with board unspecified, when the word would address a
// square off the board: a rank longer than eight files, more than eight ranks,
// or a "/" that ends a rank short of eight files (the ranks below would slide
// off their files).
bool ParsePlacement(const char* word, int length, uint8_t* board);

// Sets the position from the FEN fields of a command line. placementWord is the
// index of the placement among the line's words (1 for "setboard <fen>", 2 for
// "position fen <fen>"). Missing side, castling and en passant words mean "w",
// "-" and "-"; the move counter is not read. Castling rights
// that the placement of kings and rooks cannot carry are dropped, and so is an
// en passant square that no pawn has just passed over or that no enemy pawn
// can use. A placement that is malformed or unplayable (not one king per side,
// a pawn on the first or eighth rank, the side not to move in check) is
// refused: false, and the position and game are left untouched.
// setboard also makes the position the game's start position, whose fifty-move
// count starts from the FEN's halfmove counter (0 when it has none).
bool SetupFen(const char* line, int placementWord, bool setboard);

// Replays the game record from its start position and checks the incremental
// keys against fresh ones; on a mismatch it reports and ends the process.
void RebuildPosition();

// Makes the current-move slot on the board as a game move: records it, makes
// it, announces an engine move, toggles the side and tests for mate. The
// predicted reply of a ponder search and moves made while analysing are not
// announced, and neither are their mates.
void PlayCurrentMove();

// True when the position on the board is drawn by the rules of chess, so that
// a draw claim holds: stalemate, the fifty-move rule, a third occurrence, or
// material with which no mate is possible (bare kings, a single minor piece,
// or one bishop each on squares of one colour).
bool DrawnByRule();

// Reads and executes command lines until one hands control back to the game
// loop: a returning command, an accepted move, the end of UCI mode, or any
// line while analysing. The lines a search left behind (TakePendingLine) are
// run first, in order; with pendingOnly the loop returns when they run out
// instead of reading standard input.
void CommandLoop(bool pendingOnly);

// A line that takes moves back or leaves them to the interface ("undo",
// "retake", "back", "force", "remove", each with its line end): a search
// stops for it, and the game loop then takes back the move it pondered on.
bool IsTakebackLine(const char* line);

// "time N" and "otim N": the engine's and the opponent's clock in centiseconds,
// handed to engine or opponent. True for either line, with a number or not.
bool ReadClockLine(const char* line, void (*engine)(int32_t), void (*opponent)(int32_t));

// The xboard edit dialogue: reads piece lines up to ".", then makes the edited
// placement the start position of a new game record.
void RunEditDialogue();

// UCI handshake and loop, entered on "uci"; returns when UCI mode ends.
void UciHandshake();

// Chat: one said-counter per remark (remarks that appear twice in a table
// share one). A remark is said only while its counter is 0.
constexpr int OPENING_REMARKS = 13;
constexpr int ITERATION_REMARKS = 8;
constexpr int CLOSING_REMARKS = 13;
struct ChatState {
  uint32_t OpeningSaid[OPENING_REMARKS];
  uint32_t IterationSaid[ITERATION_REMARKS];
  uint32_t ClosingSaid[CLOSING_REMARKS];
};
extern ChatState Chat;

// Prints a remark as a thinking line: "0 0 0 0 " and the sentence, flushed.
void Say(const char* sentence);

// Clears the said-counters of the opening and closing chat remarks.
void ResetGameChat();

// Chat remarks of a search: the reaction to the opponent's move before the
// first iteration, a remark at the start of each iteration (the score is
// -10002 before the first iteration has completed), and a remark on the move
// found. ClearIterationChat makes the iteration remarks available again.
void ChatOpeningRemark();
void ChatIterationRemark(int score);
void ChatClosingRemark(int score);
void ClearIterationChat();
