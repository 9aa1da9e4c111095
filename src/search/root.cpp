// Iterative deepening with an aspiration window, the root search over the
// sorted root list, MultiPV lines, and the seeding and keeping of the
// principal variation.
#include <cstring>

#include "platform/platform.h"
#include "search/search_internal.h"

using namespace search;

MultiPvState MultiPv;

namespace {

constexpr int ASPIRATION = 30;
constexpr int ROOT_WINDOW = MATE_SCORE + 1;
constexpr int MAX_ROOT_DEPTH = 8000;  // depth field of a table entry: 13 bits

int MultiPvCount() {
  const int n = SearchConfig.MultiPvCount;
  return n < 1 ? 1 : n > MAX_MULTI_PV ? MAX_MULTI_PV : n;
}

bool ThinkingOn() { return Limits.ThinkingOutput && !Limits.ChatMode; }

int64_t ElapsedCentiseconds() { return (TickMs() - Srch.StartTicks) / 10; }

bool ClockIgnored() {
  return Limits.FixedDepth || Limits.PonderingNow || Limits.TestSuiteRunning || Limits.AnalyzeMode || Limits.UciPonder ||
         Limits.UciInfinite;
}

// The move that led to the root: the last game move, or for a set-up position
// with an en passant square the double step that made it, so that a stored en
// passant capture at the root passes the stored-move test.
Move MoveIntoRoot() {
  if (History.GameMoveCount > 0) return Limits.LastGameMove;
  if (!Pos.EnPassantBB) return 0;
  const int square = LowestSquare(Pos.EnPassantBB);
  return Pos.SideToMove == WHITE ? MakeMoveWord(square + 8, square - 8, PAWN) : MakeMoveWord(square - 8, square + 8, PAWN);
}

int CountLegalRootMoves() {
  Tree.Ply = 1;
  GenerateAll();
  const PlyBuckets& buckets = Gen.RootBuckets[1];
  int legal = 0;
  for (int b = 0; b < BUCKET_COUNT; b++) {
    for (int i = 0; i < buckets.Count[b]; i++) {
      const Move m = buckets.Moves[b][i];
      const SavedState saved = SaveState();
      EnterChild(m);
      if (!OwnKingAttacked()) legal++;
      LeaveChild(m, saved);
    }
  }
  return legal;
}

// Root draw test: the fifty-move rule, bare minor pieces, or a third occurrence.
// Every earlier occurrence is counted into RepetitionSeen.
bool RootIsDraw() {
  const int here = History.GameMoveCount;
  History.KeyHistory[here] = Pos.Key;
  const int clock = Tree.HalfmoveClock[1];
  int seen = 0;
  for (int d = 2; d <= clock + 2 && here - d >= 0; d += 2)
    if (History.KeyHistory[here - d] == Pos.Key) seen++;
  Srch.RepetitionSeen = seen;
  const bool bareMinors = Pos.PawnCount[WHITE] == 0 && Pos.PawnCount[BLACK] == 0 && Pos.PieceUnits[WHITE] < 5 &&
                          Pos.PieceUnits[BLACK] < 5;
  return seen >= 2 || clock >= 100 || bareMinors;
}

struct RootState {
  Bitboard EnPassantBB;
  uint8_t CastleRights;
};

void RestoreRoot(const RootState& root) {
  Tree.Ply = 1;
  Pos.EnPassantBB = root.EnPassantBB;
  Pos.CastleRights = root.CastleRights;
  RecomputeKeys();
}

// The root line goes to the reporter; the speed estimate is taken from the
// moment of the report, and the reporter's formatting leaves the ply to us.
void ReportLine(int score, int depth) {
  const int64_t elapsed = ElapsedCentiseconds();
  ActiveReporter().Line(score, depth);
  Tree.Ply = 1;
  if (elapsed > 0) {
    const int64_t nps = Srch.NodeCount * 100 / elapsed;
    Srch.Nps = static_cast<int32_t>(nps > INT32_MAX ? INT32_MAX : nps);
  }
}

void ReportStatus() {
  ActiveReporter().Status();
  Srch.StatusNodes = Srch.NodeCount;
}

// Prints the line that the root has just found for a move, from the root position.
void PrintQuickPv(Move move, const SavedState& saved, int score, int depth) {
  Ascend();
  LeaveChild(move, saved);
  ReportLine(score, depth / ONE_PLY);
  EnterChild(move);
  Descend();
}

// The ply whose lists the formatting of a root move may use: far from the
// root's own, and free whenever the root is between two moves.
constexpr int SAN_WORK_PLY = 11;

// Every change of the root's best move goes through here, so that the test
// suite learns when the expected answer was first found.
void SetRootBestMove(Move move) {
  if (Limits.TestSuiteRunning && move != 0 && move != Srch.RootBestMove) {
    char text[SAN_TEXT_SIZE];
    FormatRootMove(move, text);
    if (std::strcmp(text, Srch.SolutionText) == 0)
      Srch.SolutionTime = static_cast<int>(SecondsNow() - Srch.StartSeconds);
  }
  Srch.RootBestMove = move;
}

}  // namespace

void FormatRootMove(Move move, char* text) {
  const int ply = Tree.Ply;
  Tree.Ply = SAN_WORK_PLY;
  GenerateAll();
  const SavedState saved = SaveState();
  MakeMove(move);
  FormatSan(move, text, SAN_PV);
  UnmakeMove(move);
  RestoreState(saved);
  Tree.Ply = ply;
}

int Quantize(int s) {
  static constexpr int Up[32] = {3,  6,  9,  13, 16, 19, 22, 25, 28, 31, 34, 37, 41, 44, 47, 50,
                                 53, 56, 59, 63, 66, 69, 72, 75, 78, 81, 84, 87, 91, 94, 97, 100};
  static constexpr int Down[32] = {0,  3,  6,  9,  13, 16, 19, 22, 25, 28, 31, 34, 37, 41, 44, 47,
                                   50, 53, 56, 59, 63, 66, 69, 72, 75, 78, 81, 84, 88, 91, 94, 97};
  if (s > 0) {
    const int r = s % 100;
    int step = 100;
    for (int g : Up) {
      if (g > r) {
        step = g;
        break;
      }
    }
    return s - r + step;
  }
  const int m = -s;
  const int r = m % 100;
  if (r == 0) return s + 3;
  int step = 0;
  for (int g : Down)
    if (g < r) step = g;
  return -(m - r + step);
}

void CopyPvToRow0() {
  Move* line = Srch.PvTable[2];
  Move* kept = Srch.PvTable[0];
  int col = 1;
  for (; col < MAX_PLY && line[col]; col++) kept[col] = line[col];
  for (; col < MAX_PLY; col++) kept[col] = line[col] = 0;
}

void SeedPv() {
  Tree.Ply = 1;
  Move made[PV_SIZE];
  SavedState saved[PV_SIZE];
  int n = 0;
  for (int col = 1; col < MAX_PLY - 1; col++) {
    const Move m = Srch.PvTable[2][col];
    if (m == 0 || !IsMovePossible(m)) break;
    // A line is only ever made of legal moves; anything else ends the walk.
    const SavedState before = SaveState();
    EnterChild(m);
    const bool legal = !OwnKingAttacked();
    LeaveChild(m, before);
    if (!legal) break;
    StoreHashMove(m);
    saved[n] = SaveState();
    EnterChild(m);
    made[n++] = m;
    Descend();
  }
  while (n > 0) {
    n--;
    Ascend();
    LeaveChild(made[n], saved[n]);
  }
}

void search::RecordMultiPvLine(int index, Move move, int score, int depth) {
  const int count = MultiPvCount();
  const int slot = index > count ? count + 1 : index;
  const int sorted = index > count ? count + 1 : count;
  MultiPvRecord& r = MultiPv.MultiPvLine[slot];
  r.Depth = depth;
  r.Score = score;
  r.FirstMove = move;
  int i = 0;
  for (; i < MULTI_PV_LINE - 1 && Srch.PvTable[2][i + 2]; i++) r.Rest[i] = Srch.PvTable[2][i + 2];
  r.Rest[i] = 0;
  for (int a = 1; a <= sorted; a++) {
    for (int b = a + 1; b <= sorted; b++) {
      MultiPvRecord& x = MultiPv.MultiPvLine[a];
      MultiPvRecord& y = MultiPv.MultiPvLine[b];
      if (x.Depth == y.Depth && x.Score < y.Score) {
        const MultiPvRecord t = x;
        x = y;
        y = t;
      }
    }
  }
  MultiPv.WorstMultiPvScore = MultiPv.MultiPvLine[count].Score;
  if (Limits.ThinkingOutput) ActiveReporter().MultiPvLines();
}

namespace {

// A stored move decides the root only when it is a legal move here: an entry
// of another position under the same key must not.
bool LegalAtRoot(Move move) {
  if (move == 0 || !IsMovePossible(move)) return false;
  const SavedState saved = SaveState();
  EnterChild(move);
  const bool legal = !OwnKingAttacked();
  LeaveChild(move, saved);
  return legal;
}

// PvTable row 0 from column 2: the rest of the MultiPV line whose first move
// is the move to play, or nothing when no record holds it.
void KeepLineOfMovePlayed() {
  Move* row = Srch.PvTable[0];
  for (int col = 2; col < PV_SIZE; col++) row[col] = 0;
  for (int i = 1; i <= MultiPvCount(); i++) {
    const MultiPvRecord& r = MultiPv.MultiPvLine[i];
    if (r.FirstMove != row[1] || row[1] == 0) continue;
    for (int k = 0; k < MULTI_PV_LINE && k + 2 < MAX_PLY && r.Rest[k]; k++) row[k + 2] = r.Rest[k];
    return;
  }
}

}  // namespace

int RootSearch(int alpha, int beta, int depth) {
  Tree.Ply = 1;
  // The root's own per-ply entries, also when the root is searched without Think.
  Tree.InCheckAtPly[1] = OwnKingAttacked() ? 1 : 0;
  Tree.MoveAtPly[1] = MoveIntoRoot();
  Srch.ExtensionFlag[0] = Srch.ExtensionFlag[1] = 0;
  Srch.RootFirstFailHigh = false;
  Srch.PvTable[2][1] = 0;
  Srch.NodeCount++;
  if (RootIsDraw()) Srch.DrawFlag = true;

  const int multiPv = MultiPvCount();
  int hashScore = 0, mateThreat = 0, nullAllowed = 1;
  Move hashMove = 0;
  const int bound = ProbeHash(depth, hashScore, hashMove, mateThreat, 0, nullAllowed, beta);
  Srch.RootMateThreat = mateThreat;
  if (hashMove && !LegalAtRoot(hashMove)) hashMove = 0;
  // A stored result ends the iteration only when the search then has a move to
  // play: from the entry, or from an earlier iteration.
  if ((bound == HASH_EXACT || (bound == HASH_UPPER && alpha >= hashScore) ||
       (bound == HASH_LOWER && hashScore >= beta)) &&
      (hashMove != 0 || Srch.RootBestMove != 0)) {
    Srch.PvTable[2][1] = hashMove;
    Srch.PvTable[2][2] = 0;
    // An entry without a move leaves the best move found so far in place.
    if (hashMove) SetRootBestMove(hashMove);
    if (multiPv == 1) return hashScore;
  }

  Srch.RootHashMove = hashMove;
  GenerateAll();
  OrderRootMoves();
  const SavedState saved = SaveState();
  const int entryAlpha = alpha;
  const bool thinking = ThinkingOn();
  int legal = 0;
  const PlyBuckets& root = Gen.RootBuckets[1];
  const int count = root.Count[0];
  for (int i = 0; i < count; i++) {
    const Move m = root.Moves[0][i];
    EnterChild(m);
    if (OwnKingAttacked()) {
      LeaveChild(m, saved);
      continue;
    }
    const bool givesCheck = EnemyKingAttacked();
    Tree.InCheckAtPly[2] = givesCheck ? 1 : 0;
    legal++;
    Srch.RootMovesSearched = legal;

    if (Limits.ThinkingOutput && !Limits.XboardOutput && Srch.NodeCount > Srch.Nps)
      ActiveReporter().CurrentMove(m, legal, depth / ONE_PLY);
    if (Limits.AnalyzeMode && Limits.ThinkingOutput && Srch.NodeCount - Srch.StatusNodes > Srch.Nps) ReportStatus();

    Srch.ExtensionFlag[2] = 0;
    int e = givesCheck ? ONE_PLY : 0;
    if (IsSeventhRankPawnMove(m)) e += 45;
    if (e > ONE_PLY) e = ONE_PLY;
    const int newDepth = depth - ONE_PLY + e;

    Descend();
    int score;
    bool report = false;
    bool cutShort = false;
    if (multiPv > 1) {
      if (legal <= multiPv) {
        score = -Child(-MATE_SCORE, MATE_SCORE, newDepth);
        report = true;
      } else {
        const int worst = MultiPv.WorstMultiPvScore;
        score = -Child(-worst - 1, -worst, newDepth);
        if (score > worst && !Srch.StopSearch) {
          score = -Child(-MATE_SCORE, -worst, newDepth);
          report = score > worst;
        }
      }
    } else if (legal == 1) {
      score = -Child(-beta, -alpha, newDepth);
    } else {
      score = -Child(-alpha - 1, -alpha, newDepth);
      if (score > alpha && score < beta && !Srch.StopSearch) {
        if (!SearchConfig.AnalyseOption) {
          score = -Child(-beta, -alpha + 1, newDepth);
          if (Srch.StopSearch) {
            // The re-search was cut short: keep the move that beat the best
            // (it becomes the best move once it is taken back).
            Srch.PvTable[2][1] = m;
            Srch.PvTable[2][2] = 0;
            cutShort = true;
          }
        } else {
          if (SearchConfig.Quantization) score = Quantize(score);
          alpha = score;
          if (score < beta && SearchConfig.QuickPv) {
            Srch.PvTable[2][1] = m;
            Srch.PvTable[2][2] = 0;
            Srch.RootBestMove = m;
            if (depth >= 4 * ONE_PLY && thinking) PrintQuickPv(m, saved, score, depth);
          }
          score = -Child(-beta, -alpha + 1, newDepth);
        }
      }
    }
    Ascend();
    LeaveChild(m, saved);
    if (cutShort) SetRootBestMove(m);
    if (Srch.StopSearch) return alpha;
    if (report) RecordMultiPvLine(legal, m, score, depth / ONE_PLY);

    if (score <= alpha && legal == 1) {
      // The first move fails low: so does the iteration.
      Srch.PvTable[2][1] = m;
      Srch.PvTable[2][2] = 0;
      break;
    }
    if (score > alpha) {
      Srch.LastRootScore = score;
      if (SearchConfig.Quantization) score = Quantize(score);
      SetRootBestMove(m);
      alpha = score;
      if (score >= beta) {
        if (legal == 1 && !Limits.AnalyzeMode && !Limits.UciInfinite) {
          // Go on with the window raised past the first move, which stays the
          // line's move unless another beats it.
          Srch.RootFirstFailHigh = true;
          beta = score + 1;
          Srch.PvTable[2][1] = m;
          Srch.PvTable[2][2] = 0;
          continue;
        }
        Srch.RootFirstFailHigh = false;
        Srch.PvTable[2][1] = m;
        Srch.PvTable[2][2] = 0;
        StoreHash(score, depth, HASH_LOWER, Srch.RootMateThreat, m);
        UpdateRootKillersAndHistory(m, depth);
        return score;
      }
      Srch.PvTable[2][1] = m;
      if (multiPv == 1 && depth >= 4 * ONE_PLY && thinking &&
          (!Limits.XboardOutput || Srch.NodeCount > 2 * int64_t{Srch.Nps}))
        ReportLine(score, depth / ONE_PLY);
    }
  }

  Srch.RootLegalMoves = legal;
  if (legal == 0) {
    const int score = Tree.InCheckAtPly[1] ? 1 - MATE_SCORE : 0;
    if (alpha <= score && score < beta) Srch.PvTable[1][1] = 0;
    return score;
  }
  if (alpha > entryAlpha) {
    const Move best = Srch.PvTable[2][1];
    UpdateRootKillersAndHistory(best, depth);
    StoreHash(alpha, depth, Srch.RootFirstFailHigh ? HASH_LOWER : HASH_EXACT, Srch.RootMateThreat, best);
    Srch.DepthHint = Srch.IterationDepth;
    Srch.RootMoveTotal = legal;
  }
  return alpha;
}

void RecordMoveWithoutSearch(Move move) {
  Srch.DrawFlag = false;
  Tree.Ply = 1;
  Srch.CompletedDepth = 0;
  Srch.PvTable[2][1] = Srch.PvTable[0][1] = move;
  Srch.PvTable[2][2] = Srch.PvTable[0][2] = 0;
  Srch.NodeCount = 0;
  Srch.LastRootScore = 0;
  Srch.StartTicks = TickMs();
}

namespace {

SearchReporter Silent;
SearchReporter* Reporter = &Silent;

// The fields that the rules of a search change (the clock, and a ponder
// search that became a real one), back to the caller.
void GiveBackClock(SearchLimits& limits) {
  limits.PonderingNow = Limits.PonderingNow;
  limits.UciPonder = Limits.UciPonder;
  limits.MoveTimeBudget = Limits.MoveTimeBudget;
  limits.EngineClock = Limits.EngineClock;
  limits.OpponentClock = Limits.OpponentClock;
  limits.ClockKnown = Limits.ClockKnown;
}

int Iterate(int depthHint, int maxDepth);

}  // namespace

Move SearchLikelyReply(SearchLimits& limits, int depth) {
  Limits = limits;
  Limits.ThinkingOutput = false;
  Tree.Ply = 1;
  Srch.NodeCount = 0;
  Srch.StopSearch = false;
  RecomputeKeys();
  const Bitboard enPassant = Pos.EnPassantBB;
  const HashKey key = Pos.Key;
  Srch.StartSeconds = SecondsNow();
  Srch.StartTicks = Srch.ClockStartTicks = TickMs();
  std::memset(Srch.PvTable[0], 0, sizeof Srch.PvTable[0]);
  Srch.IterationDepth = 4;
  Srch.PollCountdown = 20000;
  Srch.PollingEnabled = false;
  Tree.HalfmoveClock[1] = History.GameHalfmoveClock;
  RootSearch(-MATE_SCORE - 1, MATE_SCORE + 1, depth);
  Srch.DrawFlag = false;
  const Move reply = Srch.PvTable[2][1];
  std::memset(Srch.PvTable[0], 0, sizeof Srch.PvTable[0]);
  Srch.DepthHint = 0;
  Pos.EnPassantBB = enPassant;
  Pos.Key = key;
  Tree.Ply = 1;
  GiveBackClock(limits);
  return reply;
}

SearchReporter& ActiveReporter() { return *Reporter; }
void UseReporter(SearchReporter* reporter) { Reporter = reporter ? reporter : &Silent; }

int Think(SearchLimits& limits, SearchReporter& reporter) {
  Limits = limits;
  UseReporter(&reporter);
  const int score = Iterate(limits.DepthHint, limits.MaxDepth);
  UseReporter(nullptr);
  GiveBackClock(limits);
  return score;
}

namespace {

int Iterate(int depthHint, int maxDepth) {
  Srch.DrawFlag = false;
  Tree.Ply = 1;
  Srch.CompletedDepth = 0;
  Srch.StopSearch = false;
  // The first look comes after 20000 nodes, or at a smaller node limit.
  Srch.PollCountdown = Limits.NodeLimit > 0 && Limits.NodeLimit < 20000 ? static_cast<int32_t>(Limits.NodeLimit) : 20000;
  Srch.NodeCount = 0;
  Srch.StatusNodes = 0;
  Srch.PollingEnabled = Limits.InputPollingAllowed;
  // A move from an earlier search must never be played here.
  Srch.RootBestMove = 0;
  RecomputeKeys();
  Evaluate(-MATE_SCORE, MATE_SCORE);
  int alpha = -ROOT_WINDOW, beta = ROOT_WINDOW;

  if (Limits.XboardOutput) AllocateTimeXboard();
  for (auto& side : Srch.HistoryTable)
    for (uint32_t& h : side) h >>= 8;
  ActiveReporter().SearchStarted();
  const int decayed = 3 * Ev.LazyMargin / 4;
  Ev.LazyMargin = decayed > LAZY_MARGIN_START ? decayed : LAZY_MARGIN_START;

  Srch.StartSeconds = SecondsNow();
  Srch.StartTicks = Srch.ClockStartTicks = TickMs();
  Srch.MoveNowRequested = false;
  AdvanceSearchAge();
  Tree.HalfmoveClock[1] = History.GameHalfmoveClock;
  Srch.FutilityActive = SearchConfig.FutilityEnabled && Pos.PawnCount[WHITE] > 0 && Pos.PawnCount[BLACK] > 0 &&
                        PopCount(Pos.WhiteOcc) >= 5 && PopCount(Pos.BlackOcc) >= 5;

  std::memset(Srch.PvTable[0], 0, sizeof Srch.PvTable[0]);
  std::memset(Srch.Killer1, 0, sizeof Srch.Killer1);
  std::memset(Srch.Killer2, 0, sizeof Srch.Killer2);
  if (depthHint > 1) Srch.DepthHint = depthHint - 1;

  Tree.InCheckAtPly[1] = OwnKingAttacked() ? 1 : 0;
  Srch.LowTime = Limits.EngineClock <= 3000;
  std::memset(&MultiPv, 0, sizeof MultiPv);
  // Known before the first iteration, which may end on a stored result
  // without walking the root moves.
  Srch.RootLegalMoves = CountLegalRootMoves();
  Srch.RootMoveTotal = Srch.RootLegalMoves;

  const RootState root = {Pos.EnPassantBB, Pos.CastleRights};
  const bool thinking = ThinkingOn();
  for (int d = 1; d <= maxDepth; d++) {
    Srch.IterationDepth = d;
    const int64_t elapsed = ElapsedCentiseconds();
    if (elapsed >= 100) Srch.Nps = static_cast<int32_t>(Srch.NodeCount * 100 / elapsed);
    if (Srch.StopSearch) break;
    if (!ClockIgnored() && elapsed > 0.6 * Limits.MoveTimeBudget) break;
    ActiveReporter().IterationStarted(d == 1 ? -MATE_SCORE - 2 : Srch.LastRootScore);

    RestoreRoot(root);
    if (MultiPvCount() > 1) {
      alpha = -MATE_SCORE;
      beta = MATE_SCORE;
    }
    // The tactical factor is taken as configured; the depth stays within what
    // a table entry can hold.
    int depth = ONE_PLY * d + SearchConfig.TacticalFactor;
    depth = depth < 0 ? 0 : depth > MAX_ROOT_DEPTH ? MAX_ROOT_DEPTH : depth;
    int score = RootSearch(alpha, beta, depth);
    SeedPv();

    if (score >= beta && !Srch.StopSearch && !Srch.RootFirstFailHigh) {
      if (thinking && Srch.NodeCount > 2 * int64_t{Srch.Nps}) ActiveReporter().FailHigh(score, depth / ONE_PLY);
      CopyPvToRow0();
      if (Srch.PvTable[2][1]) {
        Srch.PvTable[0][1] = Srch.PvTable[2][1] = Srch.RootBestMove;
        for (int col = 2; col < MAX_PLY; col++) Srch.PvTable[0][col] = 0;
      }
      RestoreRoot(root);
      score = RootSearch(alpha, MATE_SCORE, depth);
      if (score <= alpha && !Srch.StopSearch) {
        RestoreRoot(root);
        score = RootSearch(-MATE_SCORE, MATE_SCORE, depth);
        alpha = -ROOT_WINDOW;
        SeedPv();
      }
    } else if (score <= alpha && !Srch.StopSearch) {
      if (Srch.PvTable[0][1] == 0) {
        Srch.PvTable[0][1] = Srch.RootBestMove;
        Srch.PvTable[0][2] = 0;
      }
      if (thinking && Srch.NodeCount > 2 * int64_t{Srch.Nps}) ActiveReporter().FailLow(score, depth / ONE_PLY);
      RestoreRoot(root);
      score = RootSearch(-MATE_SCORE, beta, depth);
      alpha = -ROOT_WINDOW;
      SeedPv();
      if (score >= beta && !Srch.StopSearch) {
        RestoreRoot(root);
        score = RootSearch(-MATE_SCORE, MATE_SCORE, depth);
        SeedPv();
      }
    }

    if (!Srch.StopSearch) {
      Srch.LastRootScore = score;
      Srch.CompletedDepth = d;
    }
    // An iteration cut short before its first move keeps the last complete line.
    if (!(Srch.StopSearch && Srch.PvTable[2][1] == 0)) CopyPvToRow0();
    Tree.Ply = 1;
    if (score > MATE_THRESHOLD && !Limits.UciPonder) return score;
    if (Srch.RootLegalMoves == 0) {
      if (Tree.InCheckAtPly[1]) return -MATE_SCORE;
      Srch.DrawFlag = true;
      break;
    }
    if (Srch.RootLegalMoves == 1 && d > 2 && alpha < score && score < beta) break;
    alpha = score - ASPIRATION;
    beta = score + ASPIRATION;
  }

  Tree.Ply = 1;
  if (!Limits.PonderingNow) Srch.SearchCount++;
  // The expected reply must belong to the move played.
  if (Srch.PvTable[0][1] != Srch.RootBestMove)
    for (int col = 2; col < MAX_PLY; col++) Srch.PvTable[0][col] = 0;
  Srch.PvTable[0][1] = Srch.PvTable[2][1] = Srch.RootBestMove;
  // With several lines the root leaves the last line searched in the table:
  // the line of the move played is the one its MultiPV record keeps.
  if (MultiPvCount() > 1) KeepLineOfMovePlayed();
  ActiveReporter().SearchFinished(Srch.LastRootScore);
  if (!Limits.PonderingNow) Srch.PreviousScore = Srch.LastRootScore;
  return Srch.LastRootScore;
}

}  // namespace

void ResetSearchCounters() {
  Srch.DepthHint = 0;
  Srch.SearchCount = 0;
  Srch.PreviousScore = 0;
  Srch.Nps = START_NPS;
  Srch.NpsQuarter = 10000000;
  std::memset(Srch.HistoryTable, 0, sizeof Srch.HistoryTable);
}

void ResetSearchForNewGame() {
  ResetSearchCounters();
  Srch.SearchAge = 0;
  Srch.LastRootScore = 0;
  Srch.RootBestMove = Srch.RootHashMove = 0;
  Srch.RootLegalMoves = 0;
  std::memset(Srch.PvTable, 0, sizeof Srch.PvTable);
  std::memset(History.KeyHistory, 0, sizeof History.KeyHistory);
  std::memset(&MultiPv, 0, sizeof MultiPv);
  ClearHashTables();
  Ev.LazyMargin = LAZY_MARGIN_START;
  ResetTablesForNewGame();
  Tree.Ply = 1;
}

void ResetTablesForNewGame() {
  InitEvalTables();
  InitSearchTables();
  NewGame();
  ResetTranspositionTables();
  std::memset(History.KeyHistory, 0, sizeof History.KeyHistory);
  std::memset(Srch.HistoryTable, 0, sizeof Srch.HistoryTable);
  ClearEvalCaches();
}
