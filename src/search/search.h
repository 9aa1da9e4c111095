// Search: hash tables, move ordering, quiescence and alpha-beta search,
// iterative deepening and time control. The front end talks to it through
// one door: it fills a SearchLimits and calls Think with a SearchReporter,
// which formats every line the search reports and reads the input when the
// search polls.
#pragma once

#include <cstdint>

#include "eval/eval.h"
#include "position/position.h"

// ---------------------------------------------------------------------------
// Settings the search reads, written by the front end's option code (and by
// the UCI table sizing below).
// ---------------------------------------------------------------------------
struct SearchSettings {
  bool FutilityEnabled;
  int32_t TacticalFactor;
  uint32_t HashSize;       // bytes, both transposition halves together
  uint32_t EvalHashSize;   // bytes
  uint32_t PawnHashSize;   // bytes
  bool Quantization;
  bool QuickPv;
  bool AnalyseOption;
  int MultiPvCount;        // UCI MultiPV, 1 outside UCI
};
extern SearchSettings SearchConfig;

// ---------------------------------------------------------------------------
// Hash tables
// ---------------------------------------------------------------------------
// Transposition entry, 16 bytes: data low (score + 65536 in bits 0-16, depth in
// bits 17-29, bound in bits 30-31), data high (age in bits 0-2, mate threat in
// bit 3, move in bits 4-24), then the key halves.
struct HashEntry {
  uint32_t DataLow;
  uint32_t DataHigh;
  uint32_t KeyLow;
  uint32_t KeyHigh;
};
static_assert(sizeof(HashEntry) == 16);

// Written by the allocation and clearing routines below and by the search's
// probes and stores.
// The four table blocks (the evaluation caches' blocks among them; their
// bases go to EvalCaches) and the usable, 16-byte aligned bases inside them.
struct HashTableSet {
  void* Blocks[4];                  // two transposition halves, evaluation, pawns
  HashEntry* DepthPreferredTable;
  HashEntry* AlwaysReplaceTable;
  uint32_t HashMask;
  // Size of the table actually allocated (the settings may be changed by a
  // later reading of the options, the tables only by a reallocation).
  uint32_t HashBytes;
};
extern HashTableSet Tables;

// entry size * the highest power of two not above bytes / entry size.
uint32_t RoundTableBytes(uint32_t bytes, uint32_t entrySize);

// Allocates the four blocks for the sizes given (hash covers both
// transposition halves), or for those in SearchConfig. On failure nothing is
// installed, the previous blocks stay in use, and the result names the block
// that failed: 1 transposition, 2 evaluation, 3 pawns. 0 on success.
int AllocateTableBlocks(uint32_t hashBytes, uint32_t evalBytes, uint32_t pawnBytes);
int AllocateTableBlocks();

// Bound codes of a transposition entry, and the probe's "nothing usable".
constexpr int HASH_EXACT = 0;
constexpr int HASH_UPPER = 1;
constexpr int HASH_LOWER = 2;
constexpr int HASH_MISS = 3;
// Data low word of an entry that only carries a move: score -65536, depth
// 2400, lower bound, so it can never cause a cut-off.
constexpr uint32_t MOVE_ONLY_DATA = 0x92C00000u;
// Data words of an empty entry: no score, age 7, no move.
constexpr uint32_t EMPTY_DATA_LOW = 0;
constexpr uint32_t EMPTY_DATA_HIGH = 7;

// Looks the position up in both transposition tables. move is in/out (the
// caller sets it to 0); nullAllowed is cleared when the entry says a null move
// would fail low. Returns the stored bound, or HASH_MISS.
int ProbeHash(int depth, int& score, Move& move, int& mateThreat, int pieceUnits, int& nullAllowed, int beta);
void StoreHash(int score, int depth, int bound, int mateThreat, Move move);
// Places a principal-variation move in the table without a search result.
void StoreHashMove(Move move);
// Empties every table and the ordering state (history, killers, last line).
void ClearHashTables();
// HashMask from the size in use, both transposition tables emptied, and the
// position keys recomputed from the board.
void ResetTranspositionTables();
// UCI sizing of the three tables from one total in megabytes; prints the sizes.
void SizeHashTables(int totalMb);
// UCI reallocation, tables emptied. A failed allocation keeps the tables and
// sizes in use, reports, and gives false.
bool AllocateHashTables(int totalMb);
// The next search's age: 1..7, wrapping from 7 to 1.
void AdvanceSearchAge();

// ---------------------------------------------------------------------------
// Search state
// ---------------------------------------------------------------------------
constexpr int MATE_SCORE = 10000;
constexpr int MATE_THRESHOLD = 9800;
constexpr int ONE_PLY = 60;
constexpr int PV_SIZE = 65;

// Longest expected answer of the test suite, in characters.
constexpr int SOLUTION_MAX = 19;

// The search's own state. Written by the search; the front end reads the
// result (the line, the counters) and resets the per-game part through
// ResetSearchCounters / ResetSearchForNewGame.
struct SearchState {
  int64_t StartSeconds;  // calendar seconds at the start of the current search
  int64_t StartTicks;    // millisecond ticks at the start of the current search

  // Move ordering (killers per ply, history per side indexed by from + 64 * to).
  Move Killer1[PLY_SLOTS];
  Move Killer2[PLY_SLOTS];
  uint32_t HistoryTable[2][4096];  // by colour value

  // Principal variations: row p holds the line found at ply p from column p;
  // row 2 from column 1 is the current root line, row 0 the last completed one.
  Move PvTable[PV_SIZE][PV_SIZE];
  Move RootHashMove;
  Move RootBestMove;

  // Age of the transposition entries written by the current search: 0 at the
  // start of the game loop, then 1..7.
  int SearchAge;
  // Repetitions met by the draw test of the current node; a probe then uses
  // only the move of an entry.
  int RepetitionSeen;

  // Kept between searches for the front end and the time allocation.
  int SearchCount;      // searches of this game that were not ponder searches
  int PreviousScore;    // result of the previous search
  int DepthHint;        // iteration depth the last search reached
  bool DrawFlag;        // the last search found the game drawn
  int32_t Nps;          // speed estimate, nodes per second
  int32_t NpsQuarter;   // its poll-interval companion

  // Per-ply node state: the picker stage, the move of the transposition
  // probe, and the flag that the move into the ply was a null move or a
  // recapture that received its extension.
  uint8_t PickStage[PLY_SLOTS];
  Move HashMoveAtPly[PLY_SLOTS];
  uint8_t ExtensionFlag[PLY_SLOTS];

  // The current search.
  int64_t NodeCount;
  int32_t PollCountdown;       // nodes until the next look at the clock and the input
  bool StopSearch;
  int IterationDepth;          // plies of the current iteration
  bool FutilityActive;
  int RootLegalMoves;          // legal moves of the last completed root search
  int RootMoveTotal;           // legal-move total of the last root search that raised alpha
  int RootMovesSearched;       // legal root moves searched so far in this root search
  int LastRootScore;           // last root score that raised alpha; what Think returns
  bool RootFirstFailHigh;      // the first root move failed high and beta was raised past it
  int RootMateThreat;          // mate-threat flag of the root probe
  bool LowTime;                // own clock at 30 seconds or less when the search began
  int64_t StatusNodes;         // node count at the last analysis status line
  int64_t ClockStartTicks;     // when the engine's own clock began to run in this search
                               // (the start, or the moment a ponder search became real)
  bool MoveNowRequested;       // "?" or "stop" came before the search had a move
  int CompletedDepth;          // iterations the current search has completed
  bool PollingEnabled;         // the current search polls (Limits.InputPollingAllowed)

  // The test suite's expected answer: its move as the principal-variation SAN
  // writes it, with the trailing blank. While the suite runs, the root notes
  // in SolutionTime the whole seconds into the search at which its best move
  // last changed to that answer.
  char SolutionText[SOLUTION_MAX + 2];
  int SolutionTime;
};
extern SearchState Srch;

// One line of the MultiPV report: depth in plies, score, the root move and
// the rest of the line (0-terminated).
constexpr int MAX_MULTI_PV = 20;
constexpr int MULTI_PV_LINE = 63;
struct MultiPvRecord {
  int Depth;
  int Score;
  Move FirstMove;
  Move Rest[MULTI_PV_LINE];
};
// Records 1..MultiPvCount, and one spare after the last; index 0 is unused.
// Written by the root search; the reporters read it.
struct MultiPvState {
  MultiPvRecord MultiPvLine[MAX_MULTI_PV + 2];
  int WorstMultiPvScore;
};
extern MultiPvState MultiPv;

// ---------------------------------------------------------------------------
// The door: what the front end asks of a search, and who hears its reports
// ---------------------------------------------------------------------------
// A search's limits (all times in centiseconds). The front end fills one and
// hands it to Think; the search works on its own copy (Limits) and gives back
// the fields its rules changed (GiveBackClock). All switches off is what tools and
// tests want: a silent search to a fixed depth.
struct SearchLimits {
  int32_t MoveTimeBudget;  // budget of the current move
  int32_t LevelMoveTime;   // per-move time of the level command; the increment in increment mode
  int32_t LevelMoves;      // moves per control (1 in increment mode); 0 before any level command
  int32_t EngineClock;     // "time"
  int32_t OpponentClock;   // "otim"
  bool ClockKnown;         // EngineClock has been reported since the game loop started
  int32_t FixedMoveTime;   // xboard "st": time of every move; 0 when off
  int32_t DepthLimit;      // xboard "sd": most iterations of a search; 0 when off
  // UCI go values, indexed by colour: remaining time and increment.
  int32_t UciTime[2];
  int32_t UciIncrement[2];
  int32_t UciMovesToGo;    // 0 when not given
  int64_t NodeLimit;       // UCI "go nodes": the search stops at about this many nodes; 0 when off
  int32_t MoveOverheadMs;  // UCI: held back from the clock for the move's way to the GUI

  int DepthHint;           // the iteration a search of this game reached before (1: none)
  int MaxDepth;            // most iterations
  bool XboardOutput;       // xboard rules: its budget rule in Think, its gate on early lines
  bool IncrementMode;      // xboard level with an increment
  bool InputPollingAllowed;  // Think may poll the reporter during the search
  bool ThinkingOutput;     // thinking and information lines are reported
  bool ChatMode;           // chat remarks take the place of the thinking lines
  bool FixedDepth;         // only the depth ends the search: no iteration gate, no time check
  bool UciInfinite;        // UCI "go infinite"
  bool UciPonder;          // UCI "go ponder"
  bool TestSuiteRunning;   // the EPD test runner is searching
  bool PonderingNow;       // xboard: searching the predicted reply on the opponent's time
  bool AnalyzeMode;        // xboard analysis
  Move LastGameMove;       // the move that led to the root; 0 at the start of a game
};
// The search's copy of the limits of the running (or last) search. Written
// by Think and by the rules below; tests may set it to drive the rules alone.
extern SearchLimits Limits;

// Who hears the search: every line it reports, and the input it polls for.
// The search calls these only at reporting and polling points. The default
// reports nothing and reads nothing (tools and tests).
class SearchReporter {
 public:
  virtual ~SearchReporter() = default;
  // Around the search: before the first iteration (score -10002 on the
  // first), at the start of each iteration, and when the move is found.
  virtual void SearchStarted() {}
  virtual void IterationStarted(int /*score*/) {}
  virtual void SearchFinished(int /*score*/) {}
  // The root line in PvTable row 2 from column 1, after a root move raised
  // alpha. Depths are in plies.
  virtual void Line(int /*score*/, int /*depth*/) {}
  // The move in PvTable[2][1] failed high; the move in PvTable[0][1] failed low.
  virtual void FailHigh(int /*score*/, int /*depth*/) {}
  virtual void FailLow(int /*score*/, int /*depth*/) {}
  // The root move being searched and its number among the legal moves.
  virtual void CurrentMove(Move /*move*/, int /*number*/, int /*depth*/) {}
  // Analysis status: IterationDepth, RootMoveTotal, RootMovesSearched, MoveAtPly[2].
  virtual void Status() {}
  // The MultiPV lines, after the root has recorded a line in MultiPv.
  virtual void MultiPvLines() {}
  // Reads the input that waits, answering through the Search* controls
  // below. Called after the stop rules have let the search go on.
  virtual void Poll() {}
};

// The answers a reporter gives from Poll.
void StopSearchNow();
bool SearchStopping();
// "?" or "stop": stops when there is a move to play, otherwise stops as
// soon as there is one.
void SearchMoveNow();
// xboard: the predicted reply came; the ponder search becomes a real one.
void SearchPonderHit();
// UCI "ponderhit".
void SearchUciPonderHit();
// xboard "time" and "otim" while pondering.
void SearchEngineClock(int32_t centiseconds);
void SearchOpponentClock(int32_t centiseconds);

// The reporter of the running search (the silent one outside Think).
SearchReporter& ActiveReporter();
// Sets the reporter Think's callers' polls and reports go to; Think sets it
// itself and puts the silent one back when it returns.
void UseReporter(SearchReporter* reporter);

// A move chosen without a search (the front end's book): nothing searched, no
// score; the move stands where Think leaves its move.
void RecordMoveWithoutSearch(Move move);

// "time N" and "otim N", known by their first four characters: N goes to
// EngineClock (which is then known) or OpponentClock; a line without a
// number changes neither. False for any other line.

// Small move-indexed value tables, built by BuildCaptureValueTables():
// CaptureGain by bits 15-20 (captured | promotion << 3): value of the captured
// piece plus the full value of the promotion piece, 100 for neither (en passant).
// MaterialGain by the same index: captured value plus promotion value - 100, 100 for neither.
// TradeTable by bits 12-20 (mover | captured << 3 | promotion << 6): MaterialGain - value of the mover.
struct CaptureValueTables {
  int CaptureGain[64];
  int MaterialGain[64];
  int TradeTable[512];
  uint8_t RecaptureTable[64];  // by bits 12-17 (mover | captured << 3), built by BuildRecaptureTable()
};
extern CaptureValueTables CaptureValues;

void BuildCaptureValueTables();
void BuildRecaptureTable();

// ---------------------------------------------------------------------------
// Search
// ---------------------------------------------------------------------------
// Staged move pickers of the tree: 0 when the moves of the node are exhausted.
Move NextMove();
Move NextEvasion();
// Killer and history bookkeeping for a quiet move that cut off or became the
// best move of a node (tree rule), and the root rule that applies to every move.
void UpdateKillersAndHistory(Move move, int depth);
void UpdateRootKillersAndHistory(Move move, int depth);
// Scores the root moves in RootBuckets[1] by a capture search after each and
// leaves them sorted, best first, in bucket 0.
void OrderRootMoves();

// Captures and pawn pushes below the horizon; side-to-move scores.
int CaptureSearch(int alpha, int beta);
// One node of the alpha-beta search (depth in 1/60 ply).
int Search(int alpha, int beta, int depth, int nullAllowed);
// After a null move that failed high at low depth: can a rook or queen check
// next to the enemy king refute it?
int HeavyCheckProbe(int alpha);
// Draw by the fifty-move rule, a repetition or bare minor pieces, for a node
// of the tree. Records the node's key in KeyHistory and sets RepetitionSeen.
bool IsDraw();

// Iterative deepening: the engine's search entry. Returns the score; the move
// to play is PvTable[0][1], the expected reply PvTable[0][2]. The fields the
// search changed (budget, clock, the end of pondering) are written back to
// limits.
int Think(SearchLimits& limits, SearchReporter& reporter);
// A short root search for the opponent's most likely reply, silent and
// without polling, to `depth` (1/60 ply); the position is left as it was.
Move SearchLikelyReply(SearchLimits& limits, int depth);
// Builds the search's own tables (capture values, recaptures) and points the
// move generators at its ordering state.
void InitSearchTables();
int RootSearch(int alpha, int beta, int depth);
void SeedPv();
void CopyPvToRow0();
// The root score rounded to the fixed grid of the quantized output.
int Quantize(int score);
// The principal-variation SAN (with its trailing blank) of a legal move of
// the current position, SAN_TEXT_SIZE bytes. The moves are listed on a spare
// ply, so a root search in progress keeps its own list.
void FormatRootMove(Move move, char* text);

// Everything a new game resets for the search: the hash tables and caches,
// every start-up table and a new game position, history, killers, lines, the
// search age and counters, the lazy margin. The same position searched with
// the same settings after this gives the same nodes and the same move.
void ResetSearchForNewGame();
// The part of it that every new game shares, whatever else it resets: the
// counters kept between searches, the speed estimate and the history.
constexpr int32_t START_NPS = 20000;
void ResetSearchCounters();
// The tables' part of it: every start-up table built (where not yet), a new
// game position, the transposition table, caches, key history and history
// counters emptied. The front end adds the book.
void ResetTablesForNewGame();

// ---------------------------------------------------------------------------
// Time control
// ---------------------------------------------------------------------------
// The budget of the move in Limits.MoveTimeBudget: Think calls the xboard
// rule itself when Limits.XboardOutput is set; the UCI go command calls its
// rule (on the limits it fills) before Think.
void AllocateTimeXboard();
void AllocateTimeUci();
void AllocateTimeUci(SearchLimits& limits);
// Looks at the clock and the node limit from inside the search, then lets the
// active reporter read the input; called by Search every PollCountdown nodes
// while Srch.PollingEnabled. It may set StopSearch.
void PollInput(bool fromSearch);

// Nodes between two looks at the clock and the input: about a hundredth of a
// second's worth at the measured speed, never fewer than POLL_MIN_NODES, and
// no more than a node limit leaves.
constexpr int32_t POLL_MIN_NODES = 256;
int32_t PollInterval();

// Search time in centiseconds by the millisecond ticks and by calendar seconds.
int64_t SearchElapsedCs();
int64_t SearchSecondsCs();
