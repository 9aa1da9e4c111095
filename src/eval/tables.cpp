// The weight tables as compiled in, their Black mirrors, the strength scaling
// and the start-up initialisation of every table.
#include <cstring>
#include <initializer_list>

#include "eval/eval_internal.h"

namespace {

// The 64-square tables are written the way the board is seen from White's
// side: the 8th rank first, files a to h.
using Printed = int[64];

constexpr Printed kPawnSquareBonus = {
    0, 0, 0, 0,  0,  0, 0, 0,  //
    0, 0, 0, 0,  0,  0, 0, 0,  //
    0, 0, 2, 10, 10, 0, 0, 0,  //
    0, 0, 2, 11, 11, 0, 0, 0,  //
    0, 0, 2, 11, 11, 0, 0, 0,  //
    0, 0, 0, 8,  8,  0, 0, 0,  //
    0, 0, 0, 2,  2,  0, 0, 0,  //
    0, 0, 0, 0,  0,  0, 0, 0};

constexpr Printed kKnightSquareBonus = {
    -60, -16, -8,  -8,  -8,  -8,  -16, -60,  //
    -24, -24, 4,   4,   4,   4,   -24, -24,  //
    -15, -5,  6,   6,   6,   6,   -5,  -15,  //
    -15, -5,  6,   6,   6,   6,   -5,  -15,  //
    -15, -5,  4,   4,   4,   4,   -5,  -15,  //
    -15, -5,  2,   2,   2,   2,   -5,  -15,  //
    -15, -15, -5,  -5,  -5,  -5,  -15, -15,  //
    -50, -15, -15, -15, -15, -15, -15, -50};

constexpr Printed kBishopSquareBonus = {
    -16, -16, 0,  0,  0,  0,  -16, -16,  //
    -16, 2,   4,  4,  4,  4,  2,   -16,  //
    -4,  2,   6,  9,  9,  6,  2,   -4,   //
    -4,  2,   6,  6,  6,  6,  2,   -4,   //
    -4,  2,   4,  4,  4,  4,  2,   -4,   //
    -4,  2,   2,  2,  2,  2,  2,   -4,   //
    -16, 2,   0,  0,  0,  0,  2,   -16,  //
    -16, -16, -8, -8, -8, -8, -16, -16};

constexpr Printed kRookSquareBonus = {
    0, 0, 4, 6, 6, 4, 0, 0,  //
    0, 0, 4, 6, 6, 4, 0, 0,  //
    0, 0, 4, 6, 6, 4, 0, 0,  //
    0, 0, 4, 6, 6, 4, 0, 0,  //
    0, 0, 4, 6, 6, 4, 0, 0,  //
    0, 0, 4, 6, 6, 4, 0, 0,  //
    0, 0, 4, 6, 6, 4, 0, 0,  //
    0, 0, 4, 6, 6, 4, 0, 0};

constexpr Printed kQueenSquareBonus = {
    -14, -11, -6, -5, -5, -6, -11, -14,  //
    -10, 2,   3,  3,  3,  3,  2,   -10,  //
    -10, 3,   3,  3,  3,  3,  3,   -10,  //
    -10, 2,   2,  3,  3,  2,  2,   -10,  //
    -10, 1,   2,  3,  3,  2,  1,   -10,  //
    -10, 1,   2,  2,  2,  2,  1,   -10,  //
    -10, -8,  1,  1,  1,  1,  -8,  -10,  //
    -14, -11, -9, 0,  0,  -9, -11, -14};

constexpr Printed kOutpostBonus = {
    0, 0, 0,  0,  0,  0,  0, 0,  //
    0, 0, 6,  12, 12, 6,  0, 0,  //
    0, 0, 12, 18, 18, 12, 0, 0,  //
    0, 0, 12, 15, 15, 12, 0, 0,  //
    0, 0, 0,  6,  6,  0,  0, 0,  //
    0, 0, 0,  0,  0,  0,  0, 0,  //
    0, 0, 0,  0,  0,  0,  0, 0,  //
    0, 0, 0,  0,  0,  0,  0, 0};

constexpr Printed kIsolatedPenalty = {
    0,   0,   0,   0,   0,   0,   0,   0,    //
    -12, -12, -12, -12, -12, -12, -12, -12,  //
    -12, -12, -12, -12, -12, -12, -12, -12,  //
    -12, -12, -12, -12, -12, -12, -12, -12,  //
    -12, -12, -12, -12, -12, -12, -12, -12,  //
    -12, -12, -12, -12, -12, -12, -12, -12,  //
    -12, -12, -12, -12, -12, -12, -12, -12,  //
    0,   0,   0,   0,   0,   0,   0,   0};

constexpr Printed kBackwardPenalty = {
    0,  0,  0,  0,  0,  0,  0,  0,   //
    -1, -3, -3, -3, -3, -3, -3, -1,  //
    -1, -3, -3, -3, -3, -3, -3, -1,  //
    -1, -3, -3, -3, -3, -3, -3, -1,  //
    -1, -3, -3, -3, -3, -3, -3, -1,  //
    -1, -3, -3, -3, -3, -3, -3, -1,  //
    -1, -3, -3, -3, -3, -3, -3, -1,  //
    0,  0,  0,  0,  0,  0,  0,  0};

constexpr Printed kCentre = {
    -8, -3, 0,  1,  1,  0,  -3, -8,  //
    -3, 8,  8,  9,  9,  8,  8,  -3,  //
    1,  8,  12, 13, 13, 12, 8,  1,   //
    3,  9,  13, 18, 18, 13, 9,  3,   //
    3,  9,  13, 19, 19, 13, 9,  3,   //
    1,  8,  12, 13, 13, 12, 8,  1,   //
    -3, 8,  8,  9,  9,  8,  8,  -3,  //
    -8, -3, 1,  1,  1,  1,  -3, -8};

constexpr Printed kKingEndgameBoth = {
    -50, -30, -30, -30, -30, -30, -30, -50,  //
    -30, -30, 0,   0,   0,   0,   -30, -30,  //
    -30, -10, 30,  40,  40,  30,  -10, -30,  //
    -30, -10, 30,  40,  40,  30,  -10, -30,  //
    -30, -10, 20,  30,  30,  20,  -10, -30,  //
    -30, -10, 0,   10,  10,  0,   -10, -30,  //
    -30, -20, -10, 0,   0,   -10, -20, -30,  //
    -50, -40, -30, -20, -20, -30, -40, -50};

constexpr Printed kKingEndgameKingSide = {
    -90, -70, -50, -30, -30, -30, -30, -30,  //
    -70, -50, -30, -30, 0,   0,   0,   -10,  //
    -70, -50, -30, -10, 30,  30,  30,  0,    //
    -70, -50, -30, -10, 30,  30,  30,  0,    //
    -70, -50, -30, -10, 30,  30,  30,  0,    //
    -70, -50, -30, -10, 20,  20,  20,  0,    //
    -70, -50, -30, -20, -10, -10, -10, -10,  //
    -90, -70, -50, -40, -30, -20, -20, -30};

constexpr Printed kKingEndgameQueenSide = {
    -30, -30, -30, -30, -30, -50, -70, -90,  //
    -10, 0,   0,   0,   -20, -30, -50, -70,  //
    0,   30,  30,  30,  -10, -30, -50, -70,  //
    0,   30,  30,  30,  -10, -30, -50, -70,  //
    0,   30,  30,  30,  -10, -30, -50, -70,  //
    0,   20,  20,  20,  -10, -30, -50, -70,  //
    -10, -10, -10, -10, -20, -30, -50, -70,  //
    -30, -20, -20, -30, -40, -50, -70, -90};

constexpr Printed kMobilityWeight = {
    0, 0, 0, 0, 0, 0, 0, 0,  //
    0, 1, 1, 1, 1, 1, 1, 0,  //
    0, 2, 4, 6, 6, 4, 2, 0,  //
    0, 3, 6, 9, 9, 6, 3, 0,  //
    0, 3, 6, 9, 9, 6, 3, 0,  //
    0, 2, 4, 6, 6, 4, 2, 0,  //
    0, 1, 1, 1, 1, 1, 1, 0,  //
    0, 0, 0, 0, 0, 0, 0, 0};

constexpr Printed kKingDangerBase = {
    9, 9, 9, 9, 9, 9, 9, 9,  //
    8, 8, 8, 8, 8, 8, 8, 8,  //
    7, 7, 7, 7, 7, 7, 7, 7,  //
    6, 6, 6, 6, 6, 6, 6, 6,  //
    5, 5, 5, 5, 5, 5, 5, 5,  //
    4, 4, 4, 4, 4, 4, 4, 4,  //
    1, 1, 2, 4, 4, 2, 1, 1,  //
    1, 0, 2, 4, 4, 2, 0, 1};

constexpr int kPassedBonus[8] = {0, 8, 16, 32, 60, 120, 160, 0};
constexpr int kUnstoppableBonus[8] = {0, 200, 300, 370, 400, 420, 440, 0};
constexpr int kKingSupportBonus[8] = {0, 0, 0, 0, 24, 85, 130, 0};
constexpr int kBlockedPasserPenalty[8] = {0, 8, 12, 16, 30, 45, 60, 0};

// Printed square p (8th rank first) as the White table's square s.
constexpr int PrintedIndex(int s) { return (7 - RankOf(s)) * 8 + FileOf(s); }

template <typename T>
constexpr void FillBoth(T (&table)[2][64], const Printed& printed) {
  for (int s = 0; s < 64; s++) {
    table[WHITE][s] = static_cast<T>(printed[PrintedIndex(s)]);
    table[BLACK][Mirror(s)] = table[WHITE][s];
  }
}

constexpr ScaledWeights DefaultWeights() {
  ScaledWeights w{};
  FillBoth(w.PawnSquareBonus, kPawnSquareBonus);
  FillBoth(w.KnightSquareBonus, kKnightSquareBonus);
  FillBoth(w.BishopSquareBonus, kBishopSquareBonus);
  FillBoth(w.RookSquareBonus, kRookSquareBonus);
  FillBoth(w.Centre, kCentre);
  FillBoth(w.KingEndgameBoth, kKingEndgameBoth);
  FillBoth(w.KingEndgameKingSide, kKingEndgameKingSide);
  FillBoth(w.KingEndgameQueenSide, kKingEndgameQueenSide);
  FillBoth(w.IsolatedPenalty, kIsolatedPenalty);
  FillBoth(w.BackwardPenalty, kBackwardPenalty);
  FillBoth(w.OutpostBonus, kOutpostBonus);
  for (int s = 0; s < 64; s++) w.MobilityWeight[s] = kMobilityWeight[PrintedIndex(s)];

  constexpr int safety[24] = {-30, -26, -11, -2,  6,   12,  24,  42,  51,  60,  69,  78,
                              87,  96,  105, 114, 118, 122, 126, 130, 134, 138, 142, 145};
  for (int d = 0; d < 64; d++) w.KingSafetyTable[d] = d < 24 ? safety[d] : 150;
  constexpr int multiplier[34] = {16, 16, 16, 16, 17, 17, 18, 18, 19, 19, 20, 20, 21, 21, 22, 22, 23,
                                  23, 24, 24, 25, 25, 26, 26, 27, 27, 28, 28, 29, 29, 30, 30, 31, 31};
  for (int d = 0; d < 64; d++) w.AttackMultiplier[d] = d < 34 ? multiplier[d] : 32;

  for (int r = 0; r < 8; r++) {
    w.PassedBonus[r] = kPassedBonus[r];
    w.UnstoppableBonus[r] = kUnstoppableBonus[r];
    w.KingSupportBonus[r] = kKingSupportBonus[r];
    w.BlockedPasserPenalty[r] = kBlockedPasserPenalty[r];
  }

  // Weights -8..26 explicitly, 180 from 27 on.
  constexpr int attack[35] = {-25, -25, -20, -20, -15, -15, -10, -5,  0,   2,   5,   12,
                              15,  20,  30,  40,  50,  60,  70,  80,  90,  100, 110, 120,
                              125, 125, 130, 130, 135, 135, 140, 145, 150, 160, 170};
  for (int i = 0; i < 128; i++) w.KingAttackTable[i] = i < 35 ? attack[i] : 180;

  constexpr int outside[20] = {96, 48, 48, 48, 45, 42, 40, 40, 36, 36, 32, 32, 28, 28, 24, 24, 20, 20, 16, 16};
  for (int u = 0; u < 128; u++) w.OutsidePasserBonus[u] = static_cast<int8_t>(u < 20 ? outside[u] : 12);

  for (int n = 0; n < 16; n++) w.BishopPairBonus[n] = n <= 6 ? 20 : n == 7 ? 15 : n == 8 ? 8 : 0;

  constexpr int8_t castling[16] = {0, 30, 30, 30, -30, 0, 0, 0, -30, 0, 0, 0, -30, 0, 0, 0};
  for (int c = 0; c < 16; c++) w.CastlingRightsBonus[c] = castling[c];
  return w;
}

constexpr ScaledWeights kDefaultWeights = DefaultWeights();

void SetUnscaledTables() {
  EvalTableSet& t = EvalTables;
  FillBoth(t.QueenSquareBonus, kQueenSquareBonus);
  FillBoth(t.KingDangerBase, kKingDangerBase);
  for (int d = -8; d < 8; d++) {
    int a = d < 0 ? -d : d;
    t.RookFileProximity[d + 8] = static_cast<int8_t>(a == 0 ? 4 : a == 1 ? 3 : a == 2 ? 1 : 0);
    t.QueenFileProximity[d + 8] = static_cast<int8_t>(a <= 1 ? 5 : a == 2 ? 3 : 0);
  }
  constexpr uint8_t open[4] = {0, 8, 14, 17};
  constexpr uint8_t halfOpen[4] = {0, 3, 8, 10};
  for (int n = 0; n < 4; n++) {
    t.OpenFileWeight[n] = open[n];
    t.HalfOpenFileWeight[n] = halfOpen[n];
  }
  for (int c = 0; c < 16; c++) t.OppositeBishops[c] = (c == 6 || c == 9) ? 1 : 0;

  t.LightSquares = t.DarkSquares = 0;
  for (int f = 0; f < 8; f++) {
    t.FileMask[f] = 0x0101010101010101ull << f;
    t.FileBit[f] = static_cast<uint8_t>(1u << f);
  }
  for (int s = 0; s < 64; s++) {
    bool light = ((RankOf(s) + FileOf(s)) & 1) != 0;
    t.SquareColour[s] = light ? 1 : 0;
    t.BishopColourBit[WHITE][s] = light ? 1 : 2;
    t.BishopColourBit[BLACK][s] = light ? 4 : 8;
    (light ? t.LightSquares : t.DarkSquares) |= 1ull << s;
  }
}

// The unscaled tables are fixed values; they are filled before main runs so
// that every table holds its values from the start.
[[maybe_unused]] const bool kUnscaledReady = (SetUnscaledTables(), true);

template <typename T, size_t N>
void ScaleArray(T (&dst)[N], const T (&src)[N], float factor) {
  for (size_t i = 0; i < N; i++)
    dst[i] = static_cast<T>(static_cast<int>(static_cast<float>(src[i]) * factor));
}

template <typename T, size_t N>
void ScaleArray(T (&dst)[2][N], const T (&src)[2][N], float factor) {
  ScaleArray(dst[WHITE], src[WHITE], factor);
  ScaleArray(dst[BLACK], src[BLACK], factor);
}

template <typename T>
void MirrorTable(T (&table)[2][64]) {
  for (int s = 0; s < 64; s++) table[BLACK][s] = table[WHITE][Mirror(s)];
}

}  // namespace

ScaledWeights Weights = kDefaultWeights;
ScaledWeights BaseWeights = kDefaultWeights;
EvalTableSet EvalTables;
EvalState Ev = {LAZY_MARGIN_START, 0, 0, 0, {0, 0}, {0, 0}, 0, nullptr};

void MirrorEvalTables() {
  ScaledWeights& w = Weights;
  MirrorTable(w.PawnSquareBonus);
  MirrorTable(w.KnightSquareBonus);
  MirrorTable(w.BishopSquareBonus);
  MirrorTable(w.RookSquareBonus);
  MirrorTable(w.Centre);
  MirrorTable(w.KingEndgameBoth);
  MirrorTable(w.KingEndgameKingSide);
  MirrorTable(w.KingEndgameQueenSide);
  MirrorTable(w.IsolatedPenalty);
  MirrorTable(w.BackwardPenalty);
  MirrorTable(w.OutpostBonus);
  MirrorTable(EvalTables.QueenSquareBonus);
  MirrorTable(EvalTables.KingDangerBase);
}

void SaveEvalTables() { BaseWeights = Weights; }

void ScaleEvalTables(int percent) {
  // Above 100 the byte tables would overflow; the settings never go there.
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  const float factor = percent == 100 ? 1.0f : static_cast<float>(percent * 0.01);
  const ScaledWeights& b = BaseWeights;
  ScaledWeights& w = Weights;
  ScaleArray(w.PawnSquareBonus, b.PawnSquareBonus, factor);
  ScaleArray(w.KnightSquareBonus, b.KnightSquareBonus, factor);
  ScaleArray(w.BishopSquareBonus, b.BishopSquareBonus, factor);
  ScaleArray(w.RookSquareBonus, b.RookSquareBonus, factor);
  ScaleArray(w.Centre, b.Centre, factor);
  ScaleArray(w.KingEndgameBoth, b.KingEndgameBoth, factor);
  ScaleArray(w.KingEndgameKingSide, b.KingEndgameKingSide, factor);
  ScaleArray(w.KingEndgameQueenSide, b.KingEndgameQueenSide, factor);
  ScaleArray(w.IsolatedPenalty, b.IsolatedPenalty, factor);
  ScaleArray(w.BackwardPenalty, b.BackwardPenalty, factor);
  ScaleArray(w.OutpostBonus, b.OutpostBonus, factor);
  ScaleArray(w.MobilityWeight, b.MobilityWeight, factor);
  ScaleArray(w.KingSafetyTable, b.KingSafetyTable, factor);
  ScaleArray(w.AttackMultiplier, b.AttackMultiplier, factor);
  ScaleArray(w.PassedBonus, b.PassedBonus, factor);
  ScaleArray(w.UnstoppableBonus, b.UnstoppableBonus, factor);
  ScaleArray(w.KingSupportBonus, b.KingSupportBonus, factor);
  ScaleArray(w.BlockedPasserPenalty, b.BlockedPasserPenalty, factor);
  ScaleArray(w.KingAttackTable, b.KingAttackTable, factor);
  ScaleArray(w.OutsidePasserBonus, b.OutsidePasserBonus, factor);
  ScaleArray(w.BishopPairBonus, b.BishopPairBonus, factor);
  ScaleArray(w.CastlingRightsBonus, b.CastlingRightsBonus, factor);
}

void ResetEvalTables() {
  Weights = kDefaultWeights;
  BaseWeights = kDefaultWeights;
  SetUnscaledTables();
}

// ---------------------------------------------------------------------------
// Derived tables
// ---------------------------------------------------------------------------

void BuildPawnMasks() {
  EvalTableSet& t = EvalTables;
  for (int s = 0; s < 64; s++) {
    int r = RankOf(s), f = FileOf(s);
    Bitboard sides = 0;
    if (f > 0) sides |= t.FileMask[f - 1];
    if (f < 7) sides |= t.FileMask[f + 1];
    Bitboard ranksUpTo = r == 7 ? ~0ull : (1ull << ((r + 1) * 8)) - 1;  // ranks 0..r
    Bitboard ranksFrom = ~0ull << (r * 8);                             // ranks r..7
    Bitboard ranksAbove = r == 7 ? 0 : ~0ull << ((r + 1) * 8);         // ranks r+1..7
    Bitboard ranksBelow = (1ull << (r * 8)) - 1;                       // ranks 0..r-1
    Bitboard rank = 0xFFull << (r * 8);
    t.AdjacentFiles[s] = sides;
    t.SupportSpan[WHITE][s] = sides & ranksUpTo;
    t.SupportSpan[BLACK][s] = sides & ranksFrom;
    t.PassedSpan[WHITE][s] = (sides | t.FileMask[f]) & ranksAbove;
    t.PassedSpan[BLACK][s] = (sides | t.FileMask[f]) & ranksBelow;
    t.OutpostSpan[WHITE][s] = sides & ranksAbove;
    t.OutpostSpan[BLACK][s] = sides & ranksBelow;
    t.FileBelow[s] = t.FileMask[f] & ranksUpTo;
    t.FileAbove[s] = t.FileMask[f] & ranksFrom;
    t.DuoSquares[s] = sides & rank;
  }
}

namespace {
int Chebyshev(int a, int b) {
  int df = FileOf(a) - FileOf(b), dr = RankOf(a) - RankOf(b);
  if (df < 0) df = -df;
  if (dr < 0) dr = -dr;
  return df > dr ? df : dr;
}
}  // namespace

void BuildTropism() {
  constexpr uint8_t near[8] = {3, 3, 3, 2, 1, 0, 0, 0};
  constexpr uint8_t queenNear[8] = {4, 4, 4, 2, 1, 0, 0, 0};
  for (int s = 0; s < 64; s++)
    for (int k = 0; k < 64; k++) {
      EvalTables.Tropism[s][k] = near[Chebyshev(s, k)];
      EvalTables.QueenTropism[s][k] = queenNear[Chebyshev(s, k)];
    }
}

void BuildOutsideSquare() {
  std::memset(EvalTables.OutsideSquare, 0, sizeof EvalTables.OutsideSquare);
  for (int p = 8; p < 56; p++) {
    int r = RankOf(p), f = FileOf(p);
    for (int k = 0; k < 64; k++) {
      int kr = RankOf(k), d = FileOf(k) - f;
      if (d < 0) d = -d;
      auto& white = EvalTables.OutsideSquare[WHITE];  // White pawn, Black king
      auto& black = EvalTables.OutsideSquare[BLACK];  // Black pawn, White king
      white[BLACK][p][k] = (kr + 1 < r || d - 1 > 7 - r) ? 1 : 0;
      white[WHITE][p][k] = (kr < r || d > 7 - r) ? 1 : 0;
      black[WHITE][p][k] = (r < kr - 1 || r < d - 1) ? 1 : 0;
      black[BLACK][p][k] = (r < kr || r < d) ? 1 : 0;
    }
  }
}

void BuildKingShutInMasks() {
  std::memset(EvalTables.KingShutInMasks, 0, sizeof EvalTables.KingShutInMasks);
  auto bits = [](std::initializer_list<int> squares) {
    Bitboard b = 0;
    for (int s : squares) b |= 1ull << s;
    return b;
  };
  Bitboard* white = EvalTables.KingShutInMasks[WHITE];
  white[A1] = bits({A2});
  white[B1] = bits({A1, A2});
  white[C1] = bits({A1, B1, A2});
  white[F1] = bits({G1, H1, H2});
  white[G1] = bits({H1, H2});
  white[H1] = bits({H2});
  for (int k = A1; k <= H1; k++) {
    Bitboard m = 0;
    for (Bitboard b = white[k]; b;) m |= 1ull << Mirror(PopLowest(b));
    EvalTables.KingShutInMasks[BLACK][Mirror(k)] = m;
  }
}

namespace {
uint8_t MobilityOf(Bitboard reach) {
  if (!reach) return 0;
  reach &= reach - 1;                                 // drop the lowest square
  if (reach) reach &= ~(1ull << (63 - __builtin_clzll(reach)));  // and the highest
  int sum = 0;
  while (reach) sum += Weights.MobilityWeight[PopLowest(reach)];
  return static_cast<uint8_t>(sum);
}
}  // namespace

void BuildBishopMobility() {
  for (int s = 0; s < 64; s++)
    for (int o = 0; o < 256; o++) {
      EvalTables.BishopMobility[0][s][o] = MobilityOf(Attacks.AntiDiagAttacks[s][o]);
      EvalTables.BishopMobility[1][s][o] = MobilityOf(Attacks.DiagAttacks[s][o]);
    }
}

void BuildImbalanceTable() {
  for (int index = 0; index < 1024; index++) {
    int a = (index & 15) - 8;         // minor pieces, White minus Black
    int b = ((index >> 4) & 15) - 8;  // rooks + 2 x queens, White minus Black
    bool whiteQueen = (index & 256) != 0, blackQueen = (index & 512) != 0;
    int v = 0;
    if (a != 0) {
      if (b == 0) v = a > 0 ? 120 : -120;
      else if (b == -1) v = a >= 2 ? 120 : a == 1 ? -30 : 0;
      else if (b == 1) v = a <= -2 ? -120 : a == -1 ? 30 : 0;
      else if (b == 2 || b == -2) v = a >= 3 ? 120 : a <= -3 ? -120 : 0;
    } else if (b != 0) {
      v = b > 0 ? 120 : -120;
    } else {
      v = whiteQueen && !blackQueen ? 60 : blackQueen && !whiteQueen ? -60 : 0;
    }
    EvalTables.ImbalanceTable[index] = static_cast<int8_t>(v);
  }
}

namespace {
// Open, half-open-for-White and half-open-for-Black counts over three files.
struct WingFiles {
  int open, noWhite, noBlack;
};
WingFiles CountWing(int white, int black, int firstFile) {
  WingFiles c = {0, 0, 0};
  for (int f = firstFile; f < firstFile + 3; f++) {
    bool w = (white >> f) & 1, b = (black >> f) & 1;
    if (!w && !b) c.open++;
    else if (!w) c.noWhite++;
    else if (!b) c.noBlack++;
  }
  return c;
}
}  // namespace

void BuildShelterTables() {
  const EvalTableSet& t = EvalTables;
  for (int w = 0; w < 256; w++)
    for (int b = 0; b < 256; b++) {
      uint32_t word = 0;
      for (int wing = 0; wing < 2; wing++) {
        WingFiles c = CountWing(w, b, wing == 0 ? 0 : 5);
        int white = t.OpenFileWeight[c.open] + t.HalfOpenFileWeight[c.noWhite] +
                    t.HalfOpenFileWeight[c.noBlack] / 2 - 2 * (c.open + c.noWhite);
        int black = t.OpenFileWeight[c.open] + t.HalfOpenFileWeight[c.noBlack] +
                    t.HalfOpenFileWeight[c.noWhite] / 2 - 2 * (c.open + c.noBlack);
        word |= static_cast<uint32_t>(white & 0xFF) << (8 * wing);
        word |= static_cast<uint32_t>(black & 0xFF) << (8 * (wing + 2));
      }
      EvalTables.ShelterFileTable[w][b] = word;
    }
  for (int m = 0; m < 256; m++) {
    auto none = [m](int f) { return ((m >> f) & 1) ? 0 : 1; };
    EvalTables.CentreFileDanger[0][m] = static_cast<uint8_t>(2 * none(2) + 4 * none(3) + 2 * none(4));
    EvalTables.CentreFileDanger[1][m] = static_cast<uint8_t>(2 * none(3) + 4 * none(4) + 2 * none(5));
  }
}

void BuildKingBesideBelow() {
  for (int k = 0; k < 64; k++)
    for (int p = 0; p < 64; p++) {
      int df = FileOf(k) - FileOf(p);
      bool adjacent = df == 1 || df == -1;
      EvalTables.KingBeside[k][p] = adjacent && RankOf(k) >= RankOf(p) ? 1 : 0;
      EvalTables.KingBelow[k][p] = adjacent && RankOf(k) <= RankOf(p) ? 1 : 0;
    }
}

void BuildOutsideFiles() {
  for (int f = 0; f < 8; f++)
    for (int m = 0; m < 256; m++) {
      if (m == 0) {
        EvalTables.OutsideFiles[f][m] = 0;
        continue;
      }
      int lo = __builtin_ctz(m), hi = 31 - __builtin_clz(m);
      EvalTables.OutsideFiles[f][m] = (f < lo - 1 || f > hi + 1) ? 1 : 0;
    }
}

EvalCacheSet EvalCaches;
EvalSettings EvalConfig;

void ClearEvalCaches() {
  EvalCaches.EvalHashMask = EvalCaches.EvalBytes ? EvalCaches.EvalBytes / sizeof(EvalHashEntry) - 1 : 0;
  EvalCaches.PawnHashMask = EvalCaches.PawnBytes ? EvalCaches.PawnBytes / sizeof(PawnHashEntry) - 1 : 0;
  if (!EvalCaches.EvalTable) return;
  for (uint32_t i = 0; i <= EvalCaches.EvalHashMask; i++) {
    EvalHashEntry& e = EvalCaches.EvalTable[i];
    e.KeyLow = e.KeyHigh = 0;
    e.Score = 0;
  }
  for (uint32_t i = 0; i <= EvalCaches.PawnHashMask; i++) {
    PawnHashEntry& e = EvalCaches.PawnTable[i];
    e.KeyLow = e.KeyHigh = 0;
    e.PassedSet = 0;
    e.Score = 0;
  }
}

void InitEvalTables() {
  InitAttackTables();
  BuildPawnMasks();
  BuildTropism();
  MirrorEvalTables();
  BuildOutsideSquare();
  BuildKingShutInMasks();
  BuildBishopMobility();
  BuildImbalanceTable();
  BuildShelterTables();
  BuildKingBesideBelow();
  BuildOutsideFiles();
}
