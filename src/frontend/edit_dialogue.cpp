// The xboard edit dialogue: pieces placed one line at a time, then the edited
// board becomes the start position of a new game record.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "platform/platform.h"
#include "position/position.h"
#include "search/search.h"

namespace {

// Everything that belongs to the old game is forgotten: the edited position
// starts a game record of its own and is never looked up in the book.
void FinishEdit(int rememberedSide) {
  RecomputeBitboards();
  RecomputeRotated();
  RecomputeDiagonals();
  RecomputeCastleRights();
  Pos.EnPassantBB = 0;
  RecomputeKeys();
  StartGameRecord();
  History.GameHalfmoveClock = 0;
  AdvanceSearchAge();
  std::memset(Srch.Killer1, 0, sizeof Srch.Killer1);
  std::memset(Srch.Killer2, 0, sizeof Srch.Killer2);
  std::memset(Srch.PvTable[2], 0, sizeof Srch.PvTable[2]);
  ResetSearchCounters();
  Pos.ImbalanceKey = ComputeImbalanceKey();
  ResetGameChat();
  Pos.SideToMove = static_cast<uint8_t>(rememberedSide);
  History.HasSetupStart = true;
  History.StartHalfmoveClock = 0;
  Game.GameEnded = false;
  SaveStartPosition();
  Game.OutOfBook = 1;
}

// The edited board can be played: one king a side, no pawn on the first or
// eighth rank, and the side that is not to move not in check (its king could
// be taken, which no search can survive).
bool EditedBoardPlayable(int sideToMove) {
  if (!PlacementPlayable(Pos.Board)) return false;
  RecomputeBitboards();
  RecomputeRotated();
  RecomputeDiagonals();
  return !IsAttacked(Pos.KingSquare[sideToMove ^ 1], sideToMove);
}

}  // namespace

void RunEditDialogue() {
  int rememberedSide = Pos.SideToMove;
  // An edited board that cannot be played is refused: the position and the
  // game stay as they were before the dialogue.
  const PositionRecord before = Pos;
  int colour = WHITE;
  char line[PENDING_LINE_SIZE];
  for (;;) {
    // Lines a search has already read come first. The input's end leaves the
    // dialogue; the command loop then quits.
    if (!TakePendingLine(line)) {
      if (ReadLine(line, sizeof line, true) == 0) {
        Pos = before;
        return;
      }
      if (Game.LogFile) {
        std::fputs(line, Game.LogFile);
        std::fflush(Game.LogFile);
      }
    }
    if (std::strcmp(line, ".\n") == 0) break;
    if (std::strcmp(line, "c\n") == 0) {
      colour ^= 1;
      continue;
    }
    if (std::strcmp(line, "#\n") == 0) {
      std::memset(Pos.Board, 0, sizeof Pos.Board);
      continue;
    }
    // A piece letter and a square; a shorter line names no square at all.
    if (std::strlen(line) < 3) continue;
    int square = ((line[1] - 'a') + 8 * (line[2] - '1')) & 255;
    if (square > 63) {
      Pos = before;
      Game.QuitRequested = 1;
      return;
    }
    // Capital letters only: the colour comes from the dialogue's own switch.
    const int type = std::isupper(static_cast<unsigned char>(line[0])) ? PieceCodeOfLetter(line[0]) : NO_PIECE;
    if (type != NO_PIECE) Pos.Board[square] = static_cast<uint8_t>(PieceCodeOf(colour, type));
  }
  if (!EditedBoardPlayable(rememberedSide)) {
    Pos = before;
    return;
  }
  FinishEdit(rememberedSide);
}
