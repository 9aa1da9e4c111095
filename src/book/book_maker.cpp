// The book maker: reads Book.pgn byte by byte, plays each opening line on the
// global position and writes one Book.bin record per move.
#include <cstdio>
#include <cstring>

#include "book/book.h"
#include "platform/platform.h"

namespace {

// A word keeps at most this many characters; the rest of a longer word is
// read but not stored, so the cut word is what gets matched and reported.
constexpr int WORD_CHARS = 31;

struct MakerState {
  FILE* Pgn;
  FILE* Bin;
  // The word, the blank that ended it, then zeros: a SAN longer than the word
  // meets zeros, never stale characters of an earlier word.
  char Word[SAN_TEXT_SIZE + 8];
  int Length;
  int Line;
  int WordNumber;
};

// Book lines always start from the standard position, also when the game in
// progress began from a set-up one.
void StandardStart() {
  bool setup = History.HasSetupStart;
  History.HasSetupStart = false;
  NewGame();
  History.HasSetupStart = setup;
  Tree.Ply = 1;
}

void PutLe32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

void WriteRecord(FILE* bin, HashKey foldedKey, Move move, uint32_t weightClass) {
  unsigned char bytes[BOOK_RECORD_BYTES] = {};
  PutLe32(bytes, KeyLow(foldedKey));
  PutLe32(bytes + 4, KeyHigh(foldedKey));
  PutLe32(bytes + 8, (move & BOOK_MOVE_MASK) | weightClass << BOOK_CLASS_SHIFT);
  std::fwrite(bytes, 1, sizeof bytes, bin);
}

// The class of "(d)" in the word; 5 without one, and also when '(' is not
// followed by a digit, so a class is always 0..9.
uint32_t WeightClass(const char* word, int length) {
  for (int i = 0; i < length; i++) {
    if (word[i] != '(') continue;
    char d = word[i + 1];
    return d >= '0' && d <= '9' ? static_cast<uint32_t>(d - '0') : BOOK_DEFAULT_CLASS;
  }
  return BOOK_DEFAULT_CLASS;
}

// The word (with its blank) stands for this SAN: every SAN character is
// equal, except blanks, capture and check marks, which may be anything.
bool WordMatches(const char* word, const char* san, Move move) {
  for (int i = 0; san[i]; i++) {
    char c = san[i];
    if (c == ' ' || c == '*' || c == '+') continue;
    if (word[i] != c) return false;
  }
  // "O-O" is a prefix of "O-O-O": short castling (with or without check)
  // does not stand for a word written as long castling.
  bool shortCastle = MoveType(move) == KING && MoveTo(move) == MoveFrom(move) + 2;
  return !(shortCastle && word[4] == 'O');
}

// Finds the generated move the word names and, if there is one, writes its
// record and leaves it made with the side to move switched.
bool MatchAndPlay(MakerState& st) {
  Tree.Ply = 1;
  GenerateAll();
  const PlyBuckets& buckets = Gen.RootBuckets[1];
  const int mover = Pos.SideToMove;
  const HashKey foldedKey = FoldSide(Pos.Key, mover);
  char san[SAN_TEXT_SIZE];
  for (int b = 0; b < BUCKET_COUNT; b++) {
    for (int i = 0; i < buckets.Count[b]; i++) {
      Move move = buckets.Moves[b][i];
      SavedState saved = SaveState();
      Tree.HalfmoveClock[1] = 0;
      Tree.MoveAtPly[2] = move;
      MakeMove(move);
      // A move that leaves its own king attacked is no book move: the book
      // is played without a test, so it must never hold one.
      bool taken = !KingAttacked(mover);
      if (taken) {
        FormatSan(move, san, SAN_BOOK);
        taken = WordMatches(st.Word, san, move);
      }
      if (taken) {
        WriteRecord(st.Bin, foldedKey, move, WeightClass(st.Word, st.Length));
        Pos.SideToMove ^= 1;
        return true;
      }
      UnmakeMove(move);
      RestoreState(saved);
    }
  }
  return false;
}

void ClearWord(MakerState& st) {
  st.Length = 0;
  std::memset(st.Word, 0, sizeof st.Word);
}

}  // namespace

void MakeBook() {
  StandardStart();
  MakerState st{};
  st.Pgn = std::fopen("Book.pgn", "r");
  if (!st.Pgn) {
    std::printf("\nBook.pgn noy found!.\n");
    std::fflush(stdout);
    WaitKey();
    return;
  }
  st.Bin = std::fopen("Book.bin", "wb");
  if (!st.Bin) {
    std::printf("\nBook.bin could not be created!\n");
    std::fflush(stdout);
    WaitKey();
    std::fclose(st.Pgn);
    return;
  }
  std::printf("\nLine:%d", 1);
  std::fflush(stdout);
  ClearWord(st);
  st.Line = 1;
  st.WordNumber = 1;

  for (int ch; (ch = std::fgetc(st.Pgn)) != EOF;) {
    if (ch == '\n') {
      ClearWord(st);  // a word must end with a blank or carriage return
      st.Line++;
      st.WordNumber = 1;
      std::printf("\nLine:%d", st.Line);
      std::fflush(stdout);
    } else if (ch == '.') {
      StandardStart();
      ClearWord(st);
    } else if (ch == ' ' || ch == '\r') {
      if (st.Length == 0) continue;
      st.Word[st.Length] = ' ';
      if (!MatchAndPlay(st)) {
        st.Word[st.Length] = 0;
        std::printf("\nError on book.pgn line:%d word:%d move:%s", st.Line, st.WordNumber, st.Word);
        std::printf("\nColor:");
        std::printf(Pos.SideToMove == WHITE ? "White" : "Black");
        std::fflush(stdout);
        WaitKey();
        std::fclose(st.Pgn);
        std::fclose(st.Bin);
        return;
      }
      st.WordNumber++;
      ClearWord(st);
    } else if (st.Length < WORD_CHARS) {
      st.Word[st.Length++] = static_cast<char>(ch);
    }
  }
  std::fclose(st.Pgn);
  // A full disk must not be reported as a finished book.
  bool written = !std::ferror(st.Bin);
  if (std::fclose(st.Bin) != 0) written = false;
  if (!written) {
    std::printf("\nBook.bin could not be written!\n");
    std::fflush(stdout);
    WaitKey();
    return;
  }
  std::printf("\n\nBook.bin was created successfully.");
  std::fflush(stdout);
  WaitKey();
}
