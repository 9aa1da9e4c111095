// Pseudo-legal move generation: every move into ordering buckets, the staged
// capture and quiet lists of the main search, and the quiescence list.
// Pawn moves are produced for all pawns at once by shifting the pawn set.
#include <cstring>

#include "position/movegen_internal.h"

MoveGenState Gen;

namespace {
const Move NoMoves[PLY_SLOTS + 2] = {};
const uint32_t NoHistory[2][4096] = {};
const Move NoMove = 0;
}  // namespace
OrderingHints Hints = {NoMoves, NoMoves, NoHistory, NoMoves, &NoMove};

using namespace movegen;

namespace {

// ---------------------------------------------------------------------------
// GenerateAll and its buckets
// ---------------------------------------------------------------------------

inline int BucketOf(Move move, int ply) {
  if (move == Hints.LastLine[ply] || move == *Hints.RootHashMove) return 0;
  int m = PieceRank[MoveType(move)];
  int c = PieceRank[MoveCaptured(move)];
  if (m < c || IsPromotion(move)) return MoveTo(move) == Gen.RecaptureSquare ? 1 : 2;
  if (m == c) return 3;
  if (IsCapture(move)) return 6;
  if (move == Hints.Killer1[ply]) return 5;
  if (move == Hints.Killer2[ply]) return 6;
  if (MoveType(move) == KING && (MoveTo(move) - MoveFrom(move) == 2 || MoveFrom(move) - MoveTo(move) == 2)) return 7;
  return Gen.QuietBucket[MoveType(move) - 1][MoveTo(move)];
}

template <int Us>
void GenerateAllFor() {
  using S = SideOf<Us>;
  const int ply = Tree.Ply;
  PlyBuckets& buckets = Gen.RootBuckets[ply];
  Gen.RecaptureSquare = MoveTo(Tree.MoveAtPly[ply]);
  std::memset(buckets.Count, 0, sizeof buckets.Count);
  auto add = [&buckets, ply](Move move) {
    int bucket = BucketOf(move, ply);
    uint16_t n = buckets.Count[bucket];
    if (n < BUCKET_SIZE) {
      buckets.Moves[bucket][n] = move;
      buckets.Count[bucket] = static_cast<uint16_t>(n + 1);
    }
  };

  const Bitboard empty = ~Pos.AllOcc;
  const Bitboard pawns = Pos.PieceBB[BBIndex(Us, PAWN)];
  const Bitboard single = ShiftPawns<S::Up>(pawns) & empty;
  AddPawnMoves<2 * S::Up, PROMOTE_QNRB>(ShiftPawns<S::Up>(single & S::ThirdRank) & empty, add);
  AddPawnMoves<S::Up, PROMOTE_QNRB>(single, add);
  const Bitboard prey = OccupancyOf(S::Them) | Pos.EnPassantBB;
  AddPawnMoves<S::CaptureA, PROMOTE_QNRB>(ShiftPawns<S::CaptureA>(pawns) & prey, add);
  AddPawnMoves<S::CaptureH, PROMOTE_QNRB>(ShiftPawns<S::CaptureH>(pawns) & prey, add);
  AddCastles<Us>(add);
  AddAllPieceMoves<Us>(~OccupancyOf(Us), add);
}

// ---------------------------------------------------------------------------
// Staged lists of the main search
// ---------------------------------------------------------------------------

inline uint32_t ScoreCapture(Move move) {
  int gain = CaptureGain.Value[MoveGainIndex(move)];
  if (gain >= PieceValue[MoveType(move)]) return static_cast<uint32_t>(gain + GOOD_CAPTURE);
  EnsureSliderSets();
  return static_cast<uint32_t>(StaticExchange(MoveFrom(move), MoveTo(move)) + GOOD_CAPTURE);
}

template <int Us>
inline uint32_t ScoreQuiet(Move move) {
  if (IsSeventhRankPush(move)) Gen.SeventhRankPush = true;
  return Hints.History[Us][MoveFromTo(move)] + 1;
}

template <int Us>
void GenerateCapturesFor() {
  using S = SideOf<Us>;
  PlyMoveList& list = Gen.MoveList[Tree.Ply];
  int n = 0;
  Gen.SlidersFresh = false;
  auto add = [&list, &n](Move move) {
    if (n < MOVE_LIST_SIZE) {
      list.Moves[n] = move;
      list.Scores[n] = ScoreCapture(move);
      n++;
    }
  };

  const Bitboard pawns = Pos.PieceBB[BBIndex(Us, PAWN)];
  AddPawnMoves<S::Up, PROMOTE_QNRB>(ShiftPawns<S::Up>(pawns) & ~Pos.AllOcc & S::LastRank, add);
  const Bitboard prey = OccupancyOf(S::Them) | Pos.EnPassantBB;
  AddPawnMoves<S::CaptureA, PROMOTE_QNRB>(ShiftPawns<S::CaptureA>(pawns) & prey, add);
  AddPawnMoves<S::CaptureH, PROMOTE_QNRB>(ShiftPawns<S::CaptureH>(pawns) & prey, add);
  AddAllPieceMoves<Us>(OccupancyOf(S::Them), add);
  list.End = n;
}

template <int Us>
void GenerateQuietFor() {
  using S = SideOf<Us>;
  PlyMoveList& list = Gen.MoveList[Tree.Ply];
  int n = 0;
  auto add = [&list, &n](Move move) {
    if (n < MOVE_LIST_SIZE) {
      list.Moves[n] = move;
      list.Scores[n] = ScoreQuiet<Us>(move);
      n++;
    }
  };

  AddCastles<Us>(add);
  const Bitboard empty = ~Pos.AllOcc;
  const Bitboard single = ShiftPawns<S::Up>(Pos.PieceBB[BBIndex(Us, PAWN)]) & empty;
  AddPawnMoves<2 * S::Up, PROMOTE_QNRB>(ShiftPawns<S::Up>(single & S::ThirdRank) & empty, add);
  AddPawnMoves<S::Up, PROMOTE_QNRB>(single & ~S::LastRank, add);
  AddAllPieceMoves<Us>(empty, add);
  list.End = n;
}

// ---------------------------------------------------------------------------
// Quiescence list: captures, queen promotions and pawn steps to the seventh
// rank, without scores.
// ---------------------------------------------------------------------------

template <int Us>
void GenerateQuiescenceCapturesFor() {
  using S = SideOf<Us>;
  Move* list = Gen.QuiescenceList[Tree.Ply];
  int n = 0;
  auto add = [list, &n](Move move) {
    if (n < MOVE_LIST_SIZE) list[n++] = move;
  };

  const Bitboard pawns = Pos.PieceBB[BBIndex(Us, PAWN)];
  const Bitboard single = ShiftPawns<S::Up>(pawns) & ~Pos.AllOcc;
  AddPawnMoves<S::Up, PROMOTE_Q_ONLY>(single & (S::SeventhRank | S::LastRank), add);
  const Bitboard prey = OccupancyOf(S::Them) | Pos.EnPassantBB;
  AddPawnMoves<S::CaptureA, PROMOTE_Q_ONLY>(ShiftPawns<S::CaptureA>(pawns) & prey, add);
  AddPawnMoves<S::CaptureH, PROMOTE_Q_ONLY>(ShiftPawns<S::CaptureH>(pawns) & prey, add);
  AddAllPieceMoves<Us>(OccupancyOf(S::Them), add);
  Gen.QuiescenceEnd = n;
}

// Distance of a square from the four centre squares, 0..3.
constexpr uint8_t CentreDistance[64] = {
    3, 3, 3, 3, 3, 3, 3, 3,  //
    3, 3, 2, 2, 2, 2, 3, 3,  //
    3, 2, 2, 1, 1, 2, 2, 3,  //
    3, 2, 1, 0, 0, 1, 2, 3,  //
    3, 2, 1, 0, 0, 1, 2, 3,  //
    3, 2, 2, 1, 1, 2, 2, 3,  //
    3, 3, 2, 2, 2, 2, 3, 3,  //
    3, 3, 3, 3, 3, 3, 3, 3,  //
};

}  // namespace

void BuildQuietBuckets() {
  for (int type = PAWN; type <= KING; type++)
    for (int sq = 0; sq < 64; sq++)
      Gen.QuietBucket[type - 1][sq] =
          static_cast<uint8_t>(type <= ROOK ? 8 + 4 * (type - 1) + CentreDistance[sq] : 24);
}

void GenerateAll() {
  if (Pos.SideToMove == WHITE) GenerateAllFor<WHITE>();
  else GenerateAllFor<BLACK>();
}

void GenerateCaptures() {
  if (Pos.SideToMove == WHITE) GenerateCapturesFor<WHITE>();
  else GenerateCapturesFor<BLACK>();
}

void GenerateQuiet() {
  if (Pos.SideToMove == WHITE) GenerateQuietFor<WHITE>();
  else GenerateQuietFor<BLACK>();
}

void GenerateQuiescenceCaptures() {
  if (Pos.SideToMove == WHITE) GenerateQuiescenceCapturesFor<WHITE>();
  else GenerateQuiescenceCapturesFor<BLACK>();
}
