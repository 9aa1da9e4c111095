// Position input from FEN: the placement parser and the set-up of the side,
// castling and en passant fields. The words are read in place, so a word of
// any length is safe.
#include <cstring>

#include "frontend/frontend.h"
#include "frontend/game_record.h"
#include "platform/text.h"
#include "position/position.h"

namespace {

// Far past the fifty-move rule's 100, and inside the clock's 16 bits.
constexpr int MAX_FEN_HALFMOVES = 1000;

// Castling rights of the word, without those the placement cannot carry.
uint8_t CastlingFromWord(const Word& word, const uint8_t* board) {
  uint8_t rights = 0;
  if (!word.Present() || word.Is("-")) return 0;
  for (int i = 0; i < word.Length && i < 4; i++) {
    switch (word.Text[i]) {
      case 'K': rights |= 1; break;
      case 'Q': rights |= 2; break;
      case 'k': rights |= 4; break;
      case 'q': rights |= 8; break;
      default: break;
    }
  }
  uint8_t possible = 0;
  if (board[E1] == KING) {
    if (board[H1] == ROOK) possible |= 1;
    if (board[A1] == ROOK) possible |= 2;
  }
  if (board[E8] == BLACK_BIT + KING) {
    if (board[H8] == BLACK_BIT + ROOK) possible |= 4;
    if (board[A8] == BLACK_BIT + ROOK) possible |= 8;
  }
  return rights & possible;
}

// Chess960 castling rights: X-FEN (K/Q: the outermost rook on that side of
// the king) and Shredder-FEN (the rook's file letter, capitals for White).
// A right needs its king and rook on their back rank; rookSquares gets the
// rook of each right held, by CastleKeyIndex.
uint8_t Castling960FromWord(const Word& word, const uint8_t* board, uint8_t* rookSquares) {
  uint8_t rights = 0;
  if (!word.Present() || word.Is("-")) return 0;
  for (int i = 0; i < word.Length && i < 4; i++) {
    const char c = word.Text[i];
    const int colour = c >= 'A' && c <= 'Z' ? WHITE : BLACK;
    const char lower = static_cast<char>(colour == WHITE ? c - 'A' + 'a' : c);
    const int home = colour == WHITE ? 0 : 56;
    int king = -1;
    for (int f = 0; f < 8; f++)
      if (board[home + f] == PieceCodeOf(colour, KING)) king = f;
    if (king < 0) continue;
    const auto isRook = [&](int f) { return board[home + f] == PieceCodeOf(colour, ROOK); };
    int rook = -1;
    if (lower == 'k' || lower == 'q') {
      const int step = lower == 'k' ? -1 : 1;
      for (int f = lower == 'k' ? 7 : 0; f != king && rook < 0; f += step)
        if (isRook(f)) rook = f;
    } else if (lower >= 'a' && lower <= 'h' && isRook(lower - 'a') && lower - 'a' != king) {
      rook = lower - 'a';
    }
    if (rook < 0) continue;
    const int right = (rook > king ? 1 : 2) << (colour == WHITE ? 0 : 2);
    rights |= static_cast<uint8_t>(right);
    rookSquares[CastleKeyIndex(right)] = static_cast<uint8_t>(home + rook);
  }
  return rights;
}

// The en passant square of the word, or -1. Kept only when it fits the
// position as make would have recorded it: an enemy pawn has just passed over
// the square (it stands in front of it and both squares it crossed are empty)
// and a pawn of the side to move stands beside that pawn.
int EnPassantFromWord(const Word& word, const uint8_t* board, int side) {
  if (!word.Present() || word.Is("-") || word.Length < 2) return -1;
  const int file = word.Text[0] - 'a', rank = word.Text[1] - '1';
  if (file < 0 || file > 7 || rank < 0 || rank > 7) return -1;
  const int sq = SquareAt(rank, file);
  const int up = side == WHITE ? 8 : -8;  // direction of the side to move
  if (rank != (side == WHITE ? 5 : 2)) return -1;
  const int pawnSq = sq - up;
  if (board[pawnSq] != PieceCodeOf(side ^ 1, PAWN) || board[sq] || board[sq + up]) return -1;
  const int ownPawn = PieceCodeOf(side, PAWN);
  const bool beside = (file > 0 && board[pawnSq - 1] == ownPawn) || (file < 7 && board[pawnSq + 1] == ownPawn);
  return beside ? sq : -1;
}

// The halfmove counter of a FEN: digits only, kept within what the record's
// clock holds; 0 when the field is missing or is not a number.
int16_t HalfmoveFromWord(const Word& word) {
  int64_t value = 0;
  if (!word.Present() || !IsDigit(word.Text[0]) || !word.ToInt(value)) return 0;
  return static_cast<int16_t>(value < MAX_FEN_HALFMOVES ? value : MAX_FEN_HALFMOVES);
}

}  // namespace

bool PlacementPlayable(const uint8_t* board) {
  int kings[16] = {};
  for (int s = 0; s < 64; s++) {
    const int code = board[s];
    if (TypeOfCode(code) == KING) kings[code]++;
    if (TypeOfCode(code) == PAWN && (s < 8 || s >= 56)) return false;
  }
  return kings[KING] == 1 && kings[BLACK_BIT + KING] == 1;
}

bool ParsePlacement(const char* word, int length, uint8_t* board) {
  std::memset(board, 0, 64);
  int rank = 7, file = 0;
  for (int i = 0; i < length; i++) {
    const char c = word[i];
    if (c == '/') {
      if (file != 8 || rank == 0) return false;
      rank--;
      file = 0;
    } else if (c >= '1' && c <= '9') {
      file += c - '0';
      if (file > 8) return false;
    } else if (const int code = PieceCodeOfLetter(c)) {
      if (file >= 8) return false;
      board[SquareAt(rank, file)] = static_cast<uint8_t>(code);
      file++;
    }
    // Any other character is skipped without moving on.
  }
  return true;
}

bool SetupFen(const char* line, int placementWord, bool setboard) {
  const Word placement = NthWord(line, placementWord);
  if (!placement.Present()) return false;
  uint8_t board[64];
  if (!ParsePlacement(placement.Text, placement.Length, board) || !PlacementPlayable(board)) return false;

  const Word sideWord = NthWord(line, placementWord + 1);
  const int side = !sideWord.Present() || sideWord.Is("w") ? WHITE : BLACK;
  uint8_t rookSquares[4] = {H1, A1, H8, A8};
  const Word castlingWord = NthWord(line, placementWord + 2);
  const uint8_t castling = Chess960Variant ? Castling960FromWord(castlingWord, board, rookSquares)
                                           : CastlingFromWord(castlingWord, board);
  const int enPassant = EnPassantFromWord(NthWord(line, placementWord + 3), board, side);

  const PositionRecord previous = Pos;
  std::memcpy(Pos.Board, board, 64);
  Pos.SideToMove = static_cast<uint8_t>(side);
  Pos.CastleRights = castling;
  Pos.Chess960 = Chess960Variant;
  std::memcpy(Pos.CastleRookSquare, rookSquares, sizeof rookSquares);
  Pos.EnPassantBB = enPassant >= 0 ? 1ull << enPassant : 0;
  RecomputeBitboards();
  RecomputeRotated();
  RecomputeDiagonals();
  // The side that has just moved may not have left its king attacked.
  if (IsAttacked(Pos.KingSquare[side ^ 1], side)) {
    Pos = previous;
    return false;
  }
  RecomputeKeys();
  Pos.ImbalanceKey = ComputeImbalanceKey();
  History.GameMoveCount = 0;
  // A game set up from the FEN counts the fifty moves from its counter.
  History.GameHalfmoveClock = setboard ? HalfmoveFromWord(NthWord(line, placementWord + 4)) : 0;
  // The move that led here, as far as the position tells it: the double step
  // behind an en passant square (so that a stored en passant capture is
  // recognised at the root), otherwise none.
  Tree.MoveAtPly[1] = enPassant >= 0 ? MakeMoveWord(enPassant + (side == WHITE ? 8 : -8),
                                                    enPassant + (side == WHITE ? -8 : 8), PAWN)
                                     : 0;
  if (setboard) {
    History.HasSetupStart = true;
    History.StartHalfmoveClock = History.GameHalfmoveClock;
    Game.GameEnded = false;
    SaveStartPosition();
  }
  return true;
}
