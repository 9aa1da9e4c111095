// Chat remarks: each table in its order, one remark a call, the said-counters
// (shared ones included) and which of them a new search or a new game clears;
// the move of the closing remark is made and taken back without a trace.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "frontend/frontend.h"
#include "platform/platform.h"
#include "search/search_test_util.h"
#include "support/engine_process.h"

namespace {

using searchtest::SearchTest;

std::string Line(const std::string& sentence) { return "0 0 0 0 " + sentence + "\n"; }

class ChatTest : public SearchTest {
 protected:
  void SetUp() override {
    SearchTest::SetUp();
    ResetGameChat();
    ClearIterationChat();
    Srch.PreviousScore = 0;
    Srch.IterationDepth = 1;
    Srch.StartSeconds = SecondsNow();
  }

  // The position, with `lastMove` recorded as the opponent's last game move.
  void At(const std::string& fen, Move lastMove = 0) {
    Position(fen);
    Game.GameMoveCount = 0;
    if (lastMove) Game.GameMoves[Game.GameMoveCount++] = lastMove;
  }

  template <typename F>
  std::string Output(F call) {
    testing::internal::CaptureStdout();
    call();
    return testing::internal::GetCapturedStdout();
  }
  std::string Opening() {
    return Output([] { ChatOpeningRemark(); });
  }
  std::string Iteration(int score) {
    return Output([score] { ChatIterationRemark(score); });
  }
  std::string Closing(Move best, int score) {
    Srch.RootBestMove = best;
    return Output([score] { ChatClosingRemark(score); });
  }
};

// Black to move in check from a rook, nothing captured, an ending (so the
// lazy-pieces remarks cannot come).
const char* CHECKED = "4k3/8/8/8/8/8/8/4R1K1 b - - 0 1";
// Quiet ending, White to move.
const char* QUIET = "4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1";

TEST_F(ChatTest, SayPrintsFourZerosAndTheSentence) {
  EXPECT_EQ(Output([] { Say("Hello there."); }), "0 0 0 0 Hello there.\n");
}

TEST_F(ChatTest, OpponentsChecksDrawFiveRemarksInOrderThenNone) {
  At(CHECKED);
  const std::vector<std::string> expected = {
      "Ok,have your checks, if it makes you feel better.",
      "Oh dear! Another Check!",
      "Another Check? Do you think I'm blind as a bat?",
      "Ok, you've made your point.You are trying to make me nervous.",
      "Damn you.",
  };
  for (const std::string& s : expected) EXPECT_EQ(Opening(), Line(s));
  EXPECT_EQ(Opening(), "") << "the sixth check";
  // A new search does not bring them back; a new game does.
  ClearIterationChat();
  EXPECT_EQ(Opening(), "");
  ResetGameChat();
  EXPECT_EQ(Opening(), Line(expected[0]));
}

TEST_F(ChatTest, CapturesThenPawnCapturesThenNone) {
  At(QUIET, MakeMoveWord(D4, E5, PAWN, PAWN));
  const std::vector<std::string> expected = {
      "please mister, donna toucha my pieces.",
      "Hey you! What are you going to do now?",
      "Great! Take it! We don't need it again.",
      "Attention: Before swallow my pieces, please chew them carefully.",
      "would you like another pawn?",
      "A prawn for your cocktail!",
  };
  for (const std::string& s : expected) EXPECT_EQ(Opening(), Line(s));
  EXPECT_EQ(Opening(), "");

  ResetGameChat();
  At(QUIET, MakeMoveWord(C6, E5, KNIGHT, KNIGHT));
  for (int i = 0; i < 4; i++) EXPECT_EQ(Opening(), Line(expected[i]));
  EXPECT_EQ(Opening(), "") << "a knight capture is not a pawn capture";
  At(QUIET);
  ResetGameChat();
  EXPECT_EQ(Opening(), "") << "no capture, no check";
}

TEST_F(ChatTest, CheckComesBeforeCapture) {
  At("4k3/8/8/8/8/8/8/4R1K1 b - - 0 1", MakeMoveWord(E5, E1, ROOK, QUEEN));
  EXPECT_EQ(Opening(), Line("Ok,have your checks, if it makes you feel better."));
  EXPECT_EQ(Opening(), Line("Oh dear! Another Check!"));
}

TEST_F(ChatTest, AnUndevelopedOpponentEarlyInTheGame) {
  // White has four pieces out, Black none: White's positional score is well
  // above 60 and no side is down to an ending.
  At("rnbqkbnr/pppppppp/8/8/2BPP3/2N2N2/PPP2PPP/R1BQK2R w KQkq - 0 1");
  EXPECT_EQ(Opening(), Line("What about developing some pieces?"));
  EXPECT_EQ(Opening(), Line("Probably you've dozen lazy pieces."));
  EXPECT_EQ(Opening(), "");
  ResetGameChat();
  Game.GameMoveCount = 20;
  EXPECT_EQ(Opening(), "") << "only in the first twenty half-moves";
  At("rnbqkbnr/pppppppp/8/8/2BPP3/2N2N2/PPP2PPP/R1BQK2R b KQkq - 0 1");
  EXPECT_EQ(Opening(), "") << "Black is the lazy side";
}

TEST_F(ChatTest, IterationRemarksOnTheTrendOfTheScore) {
  At(QUIET);
  Srch.IterationDepth = 7;
  EXPECT_EQ(Iteration(500), "") << "too shallow";
  EXPECT_EQ(Iteration(-500), "");
  Srch.IterationDepth = 8;
  EXPECT_EQ(Iteration(300), Line("Ah boy! do you know? I'm really a wolf on the board!"));
  EXPECT_EQ(Iteration(300), "");
  EXPECT_EQ(Iteration(-300), Line("Yeah! go ahead! eat your fill!"));
  EXPECT_EQ(Iteration(-300), Line("Probably I don't want to know what's comming!"));
  EXPECT_EQ(Iteration(-300), "") << "the falls need a previous score of 60";
  Srch.PreviousScore = 60;
  EXPECT_EQ(Iteration(-151), Line("Oh God.It seem to me that some thing is wrong in my evaluation part of program!"));
  EXPECT_EQ(Iteration(-21), Line("So what do you think about my bruteness?"));
  EXPECT_EQ(Iteration(-21), "");
  // The first iteration's stand-in score never draws a remark.
  ClearIterationChat();
  Srch.IterationDepth = 1;
  EXPECT_EQ(Iteration(-MATE_SCORE - 2), "");
  // Every search may say them again.
  Srch.IterationDepth = 8;
  Srch.PreviousScore = 0;
  EXPECT_EQ(Iteration(300), Line("Ah boy! do you know? I'm really a wolf on the board!"));
}

TEST_F(ChatTest, ALongPonderSaysTheThreeTimeRemarksOnceEach) {
  At(QUIET);
  Srch.IterationDepth = 3;
  Srch.StartSeconds = SecondsNow() - 61;
  EXPECT_EQ(Iteration(0), "") << "only while pondering";
  Game.PonderingNow = 1;
  EXPECT_EQ(Iteration(0), Line("That's time for siesta."));
  EXPECT_EQ(Iteration(0), Line("Time,Time,spent,spent,only,for you!"));
  EXPECT_EQ(Iteration(0), Line("Take time, waste time, there's no need to hurry."));
  EXPECT_EQ(Iteration(0), "");
  ClearIterationChat();
  Srch.StartSeconds = SecondsNow() - 30;
  EXPECT_EQ(Iteration(0), "") << "not yet a minute";
  Game.PonderingNow = 0;
}

TEST_F(ChatTest, ClosingChecksInOrderAndTheBoardUntouched) {
  At("4k3/8/8/8/8/8/8/R5K1 w - - 0 1");
  const PositionRecord before = Pos;
  const Move check = MakeMoveWord(A1, A8, ROOK);
  const std::vector<std::string> expected = {
      "Don't tremble! it's just a check buddy.",
      "If you like my checks, you're going to love my mates!",
      "Check!",
      "I'm gonna love you kingy!",
      "Aha! This is actually what I like",
      "Check Time and waste nine",
  };
  for (const std::string& s : expected) EXPECT_EQ(Closing(check, 0), Line(s));
  EXPECT_EQ(Closing(check, 0), "");
  EXPECT_EQ(std::memcmp(&Pos, &before, sizeof Pos), 0) << "made and taken back";
  EXPECT_EQ(Closing(MakeMoveWord(A1, A2, ROOK), 0), "") << "a quiet rook move";
  EXPECT_EQ(Closing(0, 0), "") << "no move found";
}

TEST_F(ChatTest, ClosingRemarksOnPawnsCapturesAndRooks) {
  At("4k3/7r/8/3p4/4P3/8/1P6/R5K1 w - - 0 1");
  Srch.PreviousScore = -100;
  const Move push = MakeMoveWord(B2, B3, PAWN);
  EXPECT_EQ(Closing(push, 101), Line("Winning is in my genes!"));
  EXPECT_EQ(Closing(push, 101), Line("Attack! Attack! Just I learnt it!"));
  EXPECT_EQ(Closing(push, 101), "");
  const Move take = MakeMoveWord(E4, D5, PAWN, PAWN);
  EXPECT_EQ(Closing(take, 1), Line("I go bank, he goes tonk, I go snap, bang boom and win a pawn!"));
  EXPECT_EQ(Closing(take, 1), Line("If your pieces suddenly disappeared from the board,don't worry at all! I took it."));
  EXPECT_EQ(Closing(take, 1), "");
  EXPECT_EQ(Closing(MakeMoveWord(A1, A1 + 8 * 4, ROOK), 1), "") << "a lift of four ranks is not enough";
  EXPECT_EQ(Closing(MakeMoveWord(A1, A1 + 8 * 5, ROOK), 0), "") << "and the score must rise by more than 100";
  EXPECT_EQ(Closing(MakeMoveWord(A1, A1 + 8 * 5, ROOK), 1), Line("Keep them comming!"));
  // Black's rook coming down the board shares the remark's counter.
  At("4k3/7r/8/3p4/4P3/8/1P6/R5K1 b - - 0 1");
  Srch.PreviousScore = -100;
  EXPECT_EQ(Closing(MakeMoveWord(H7, H2, ROOK), 1), "");
  ResetGameChat();
  EXPECT_EQ(Closing(MakeMoveWord(H7, H2, ROOK), 1), Line("Keep them comming!"));
}

TEST_F(ChatTest, TheQueenVisitsShareTheirCountersBetweenTheColours) {
  At("4k3/8/8/8/8/8/8/3QK3 w - - 0 1");
  const Move visit = MakeMoveWord(D1, D5, QUEEN);  // one file and three ranks from e8
  EXPECT_EQ(Closing(visit, 0), Line("This is a social visit.My queen has always wanted to meet your king!"));
  EXPECT_EQ(Closing(visit, 0), Line("Hi king! I've been here to notice you something about marriage."));
  EXPECT_EQ(Closing(visit, 0), "");
  EXPECT_EQ(Closing(MakeMoveWord(D1, D4, QUEEN), 0), "") << "four ranks away";
  At("3qk3/8/8/8/8/8/8/4K3 b - - 0 1");
  EXPECT_EQ(Closing(MakeMoveWord(D8, D4, QUEEN), 0), "");
  ResetGameChat();
  EXPECT_EQ(Closing(MakeMoveWord(D8, D4, QUEEN), 0), Line("This is a social visit.My queen has always wanted to meet your king!"));
}

TEST_F(ChatTest, ThinkSpeaksBeforeItsFirstIterationOnlyWithChatOn) {
  Settings.ChatMode = true;
  At(CHECKED);
  const std::string said = Output([] { Think(1, 2); });
  EXPECT_EQ(said.rfind(Line("Ok,have your checks, if it makes you feel better."), 0), 0u) << said;
  Settings.ChatMode = false;
  ResetGameChat();
  At(CHECKED);
  EXPECT_EQ(Output([] { Think(1, 2); }), "");
}

// Over pipes, as in a game under xboard: the opponent checks with Ra8+ six
// times (the moves are taken back in between); the engine reacts before each
// search, and no more after the fifth.
TEST(ChatTranscript, TheFirstChecksOfTheOpponentDrawRemarksTheSixthNone) {
  vtest::TempDir dir;
  dir.Write("option.txt", "CHAT=TRUE\n");
  vtest::EngineProcess engine(dir.Path());
  ASSERT_NE(engine.WaitFor("feature done=0"), "");
  engine.Send("xboard\nprotover 2\n");
  ASSERT_NE(engine.WaitFor("feature done=1"), "");
  // Rook against rook: the engine's replies neither check nor capture, and
  // three plies keep the search short and below the depth of its remarks.
  std::string toSend = "easy\nsd 3\nsetboard 7k/8/1r6/8/8/8/8/R5K1 w - - 0 1\nforce\na1a8\ngo\n";
  const char* said[] = {
      "Ok,have your checks, if it makes you feel better.",
      "Oh dear! Another Check!",
      "Another Check? Do you think I'm blind as a bat?",
      "Ok, you've made your point.You are trying to make me nervous.",
      "Damn you.",
      nullptr,
  };
  for (const char* sentence : said) {
    engine.Send(toSend);
    std::string line;
    if (sentence) {
      ASSERT_TRUE(engine.ReadLine(line, 15000));
      EXPECT_EQ(line, std::string("0 0 0 0 ") + sentence);
    }
    ASSERT_TRUE(engine.ReadLine(line, 15000));
    EXPECT_EQ(line.rfind("move ", 0), 0u) << line;
    toSend = "force\nundo\nundo\na1a8\ngo\n";
  }
  engine.Send("quit\n");
  EXPECT_EQ(engine.Wait(10000), 0);
}

}  // namespace
