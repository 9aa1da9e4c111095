// Move notation: SAN in the console, principal-variation and book styles, and
// the four-letter coordinate form of the console listing.
#include <cstdio>

#include "position/position.h"

namespace {

const char Squares[] = "abcdefgh12345678";

struct StyleTexts {
  const char* Pieces;     // by PieceType, index 0 unused
  const char* ShortCastle;
  const char* LongCastle;
  char CaptureMark;
};

const StyleTexts Styles[3] = {
    {" PCFTDR", "O-O", "O-O-O", 'x'},  // SAN_CONSOLE
    {" PNBRQK", "0-0", "0-0-0", 'x'},  // SAN_PV
    {" PCFTDR", "O-O", "O-O-O", '*'},  // SAN_BOOK
};

// Appends within SAN_TEXT_SIZE; the worst case (a piece with every bucket
// naming a twin) stays well inside it, but a full buffer only stops adding.
struct SanWriter {
  char* Text;
  int Length = 0;
  void Put(char c) {
    if (Length < SAN_TEXT_SIZE - 1) Text[Length++] = c;
    Text[Length] = 0;
  }
  void Put(const char* s) {
    while (*s) Put(*s++);
  }
};

// The side that has just moved gives check.
bool MoverGivesCheck() { return KingAttacked(Pos.SideToMove ^ 1); }

}  // namespace

void FormatSan(Move move, char* text, SanStyle style) {
  const StyleTexts& st = Styles[style];
  SanWriter out{text};
  text[0] = 0;
  int from = MoveFrom(move);
  int to = MoveTo(move);
  int type = MoveType(move);
  int captured = MoveCaptured(move);
  int promotion = MovePromotion(move);

  if (WasCastle960(move) || (!Pos.Chess960 && type == KING && (from - to == 2 || to - from == 2))) {
    out.Put(to == from + 2 ? st.ShortCastle : st.LongCastle);
    if (MoverGivesCheck()) out.Put('+');
    out.Put(' ');
    return;
  }

  // An en passant capture lands on an empty square: its word carries no victim.
  if (type == PAWN && captured == 0) {
    int step = Pos.SideToMove == WHITE ? to - from - 8 : from - to - 8;
    if (step == 1 || step == -1) captured = PAWN;
  }

  if (type != PAWN) {
    out.Put(st.Pieces[type]);
    // One character per bucket that holds another move of the same piece type
    // to the same square; the buckets are pseudo-legal, so a pinned twin counts.
    const PlyBuckets& buckets = Gen.RootBuckets[Tree.Ply];
    for (int b = 0; b < BUCKET_COUNT; b++) {
      for (int i = 0; i < buckets.Count[b]; i++) {
        Move other = buckets.Moves[b][i];
        if (other == move || MoveTo(other) != to || MoveType(other) != type) continue;
        if (FileOf(MoveFrom(other)) == FileOf(from)) {
          out.Put(Squares[8 + RankOf(from)]);
        } else {
          out.Put(Squares[FileOf(from)]);
        }
        break;
      }
    }
  } else if (captured != 0) {
    out.Put(Squares[FileOf(from)]);
  }

  if (captured != 0) out.Put(st.CaptureMark);
  out.Put(Squares[FileOf(to)]);
  out.Put(Squares[8 + RankOf(to)]);
  if (promotion != 0) {
    out.Put('=');
    out.Put(st.Pieces[promotion]);
  }
  if (MoverGivesCheck()) out.Put('+');
  out.Put(' ');
}

void PrintCoordMove(Move move) {
  int from = MoveFrom(move);
  int to = MoveTo(move);
  std::printf("%c%c%c%c ", Squares[FileOf(from)], Squares[8 + RankOf(from)], Squares[FileOf(to)],
              Squares[8 + RankOf(to)]);
}

void MoveToXboardText(Move move, char* buffer) {
  if (IsCastle960(move)) {
    std::snprintf(buffer, 6, "%s", MoveTo(move) > MoveFrom(move) ? "O-O" : "O-O-O");
  } else {
    MoveToCoord(move, buffer);
  }
}
