// Chat remarks: a reaction to the opponent's move when a search starts, remarks
// on time and on the trend of the score during it, and a remark on the move
// found. Each table is tried in order; the first remark whose condition holds
// and that has not been said yet is printed, and only that one.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "eval/eval.h"
#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "platform/platform.h"
#include "position/position.h"
#include "search/search.h"

ChatState Chat;

namespace {

struct Remark {
  int Counter;  // index into the table's said-counters
  const char* Sentence;
};

const Remark OpeningRemarks[] = {
    {0, "Ok,have your checks, if it makes you feel better."},
    {1, "Oh dear! Another Check!"},
    {2, "Another Check? Do you think I'm blind as a bat?"},
    {3, "Ok, you've made your point.You are trying to make me nervous."},
    {4, "Damn you."},
    {5, "please mister, donna toucha my pieces."},
    {6, "Hey you! What are you going to do now?"},
    {7, "Great! Take it! We don't need it again."},
    {8, "Attention: Before swallow my pieces, please chew them carefully."},
    {9, "would you like another pawn?"},
    {10, "A prawn for your cocktail!"},
    {11, "What about developing some pieces?"},
    {12, "Probably you've dozen lazy pieces."},
};

const Remark IterationRemarks[] = {
    {0, "Ah boy! do you know? I'm really a wolf on the board!"},
    {1, "That's time for siesta."},
    {2, "Time,Time,spent,spent,only,for you!"},
    {3, "Take time, waste time, there's no need to hurry."},
    {4, "Yeah! go ahead! eat your fill!"},
    {5, "Probably I don't want to know what's comming!"},
    {6, "Oh God.It seem to me that some thing is wrong in my evaluation part of program!"},
    {7, "So what do you think about my bruteness?"},
};

// The rook-lift remark and the two queen-visit remarks are listed once for
// each colour and share their counters.
const Remark ClosingRemarks[] = {
    {0, "Don't tremble! it's just a check buddy."},
    {1, "If you like my checks, you're going to love my mates!"},
    {2, "Check!"},
    {3, "I'm gonna love you kingy!"},
    {4, "Aha! This is actually what I like"},
    {5, "Check Time and waste nine"},
    {6, "Winning is in my genes!"},
    {7, "Attack! Attack! Just I learnt it!"},
    {8, "I go bank, he goes tonk, I go snap, bang boom and win a pawn!"},
    {9, "Keep them comming!"},
    {9, "Keep them comming!"},
    {10, "If your pieces suddenly disappeared from the board,don't worry at all! I took it."},
    {11, "This is a social visit.My queen has always wanted to meet your king!"},
    {12, "Hi king! I've been here to notice you something about marriage."},
    {11, "This is a social visit.My queen has always wanted to meet your king!"},
    {12, "Hi king! I've been here to notice you something about marriage."},
};

constexpr int OPENING_ROWS = sizeof OpeningRemarks / sizeof OpeningRemarks[0];
constexpr int ITERATION_ROWS = sizeof IterationRemarks / sizeof IterationRemarks[0];
constexpr int CLOSING_ROWS = sizeof ClosingRemarks / sizeof ClosingRemarks[0];

// Says the first remark whose condition holds and whose counter is still 0.
template <int Rows>
void SayFirst(const Remark (&table)[Rows], const bool (&holds)[Rows], uint32_t* said) {
  for (int i = 0; i < Rows; i++) {
    if (!holds[i] || said[table[i].Counter] != 0) continue;
    said[table[i].Counter]++;
    Say(table[i].Sentence);
    return;
  }
}

// The opponent's last move: the last one recorded in the game.
Move OpponentsLastMove() { return History.GameMoveCount > 0 ? Game.GameMoves[History.GameMoveCount - 1] : 0; }

// Does the engine's move give check? It is made and taken back on the board.
bool GivesCheck(Move m) {
  const int us = Pos.SideToMove;
  const SavedState saved = SaveState();
  MakeMove(m);
  const bool check = IsAttacked(Pos.KingSquare[us ^ 1], us);
  UnmakeMove(m);
  RestoreState(saved);
  return check;
}

}  // namespace

void Say(const char* sentence) {
  std::printf("%d %d %d %d %s\n", 0, 0, 0, 0, sentence);
  std::fflush(stdout);
}

void ResetGameChat() {
  std::memset(Chat.OpeningSaid, 0, sizeof Chat.OpeningSaid);
  std::memset(Chat.ClosingSaid, 0, sizeof Chat.ClosingSaid);
}

void ClearIterationChat() { std::memset(Chat.IterationSaid, 0, sizeof Chat.IterationSaid); }

void ChatOpeningRemark() {
  const int us = Pos.SideToMove;
  const int capture = MoveCaptured(OpponentsLastMove());
  const bool check = IsAttacked(Pos.KingSquare[us], us ^ 1);
  const int eval = EvaluateForSide(-MATE_SCORE, MATE_SCORE);
  const int positional = us == WHITE ? eval - Pos.Material : eval + Pos.Material;
  const bool lazy = positional > 60 && History.GameMoveCount < 20 && !Ev.EndgamePhase;
  const bool holds[OPENING_ROWS] = {
      check,        check,        check,        check,        check,          capture != 0,  capture != 0,
      capture != 0, capture != 0, capture == PAWN, capture == PAWN, lazy, lazy,
  };
  SayFirst(OpeningRemarks, holds, Chat.OpeningSaid);
}

void ChatIterationRemark(int score) {
  const int previous = Srch.PreviousScore;
  const bool deep = Srch.IterationDepth >= 8;
  const int rise = score - previous;
  const bool idle = Game.PonderingNow && SecondsNow() - Srch.StartSeconds > 60;
  const bool holds[ITERATION_ROWS] = {
      deep && rise >= 300,
      idle,
      idle,
      idle,
      deep && score < -100 && rise <= -300,
      deep && rise <= -300,
      deep && previous >= 60 && score < -150,
      deep && previous >= 60 && score < -20,
  };
  SayFirst(IterationRemarks, holds, Chat.IterationSaid);
}

void ChatClosingRemark(int score) {
  const Move m = Srch.RootBestMove;
  // A search that found no move to play has nothing to remark on.
  if (m == 0 || !IsMovePossible(m)) return;
  const int us = Pos.SideToMove;
  const int rise = score - Srch.PreviousScore;
  const int type = MoveType(m);
  const int from = MoveFrom(m), to = MoveTo(m);
  const bool check = GivesCheck(m);
  const bool pawn = type == PAWN;
  const bool captures = MoveCaptured(m) != 0;
  const bool heavy = type == ROOK || type == QUEEN;
  const int lift = RankOf(to) - RankOf(from);
  const int enemyKing = Pos.KingSquare[us ^ 1];
  const bool queenVisit = type == QUEEN && std::abs(FileOf(to) - FileOf(enemyKing)) <= 1 &&
                          std::abs(RankOf(to) - RankOf(enemyKing)) <= 3;
  const bool white = us == WHITE;
  const bool holds[CLOSING_ROWS] = {
      check,
      check,
      check,
      check,
      check,
      check,
      pawn && score > 100 && rise > 200,
      pawn && rise > 100,
      captures && rise > 100,
      white && heavy && lift > 4 && rise > 100,
      !white && heavy && -lift > 4 && rise > 100,
      captures,
      white && queenVisit,
      white && queenVisit,
      !white && queenVisit,
      !white && queenVisit,
  };
  SayFirst(ClosingRemarks, holds, Chat.ClosingSaid);
}
