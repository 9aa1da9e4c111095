// Square geometry, sliding-attack lookups, attack tests, pins and static
// exchange. Every table is built once; queries are lookups and ANDs only.
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "position/position.h"

AttackTableSet Attacks;

namespace {

// The eight directions in the order of the Ray table.
constexpr int RayDelta[8] = {8, 9, 7, 1, -8, -9, -7, -1};
constexpr int KnightDelta[8] = {-17, -15, -10, -6, 6, 10, 15, 17};
constexpr int KingDelta[8] = {-9, -7, 7, 9, -8, -1, 1, 8};

constexpr int Abs(int v) { return v < 0 ? -v : v; }

// A step from s by d stays on the board when it lands on 0..63 and neither the
// file nor the rank jumps by more than two (that rules out edge wrap-around).
bool StepOnBoard(int s, int d) {
  int t = s + d;
  if (t < 0 || t > 63) return false;
  return Abs(FileOf(t) - FileOf(s)) <= 2 && Abs(RankOf(t) - RankOf(s)) <= 2;
}

Bitboard StepSet(int s, const int* deltas, int count) {
  Bitboard set = 0;
  for (int i = 0; i < count; i++)
    if (StepOnBoard(s, deltas[i])) set |= 1ull << (s + deltas[i]);
  return set;
}

Bitboard SlideSet(int s, const int* deltas, int count) {
  Bitboard set = 0;
  for (int i = 0; i < count; i++) {
    int sq = s;
    while (StepOnBoard(sq, deltas[i])) {
      sq += deltas[i];
      set |= 1ull << sq;
    }
  }
  return set;
}

// Walk of a line through s in the two directions d and -d; lineBit(sq) gives
// the bit that stands for sq in the line's occupancy byte.
template <typename LineBit>
Bitboard LineWalk(int s, int d, uint8_t occupancy, LineBit lineBit) {
  Bitboard set = 0;
  for (int dir : {d, -d}) {
    int sq = s;
    while (StepOnBoard(sq, dir)) {
      sq += dir;
      set |= 1ull << sq;
      if (occupancy & (1u << lineBit(sq))) break;
    }
  }
  return set;
}

// Ray index of the direction -d, for a line step d (+-1, +-7, +-8, +-9).
struct OppositeRayTable {
  int8_t Index[19];  // by d + 9
  constexpr OppositeRayTable() : Index{} {
    for (int i = 0; i < 19; i++) Index[i] = -1;
    for (int i = 0; i < 8; i++) Index[-RayDelta[i] + 9] = static_cast<int8_t>(i);
  }
};
constexpr OppositeRayTable OppositeRay;

}  // namespace

// ---------------------------------------------------------------------------
// Builders
// ---------------------------------------------------------------------------

void BuildMasks() {
  for (int s = 0; s < 64; s++) {
    Attacks.SetMask[s] = 1ull << s;
    Attacks.ClearMask[s] = ~(1ull << s);
    Attacks.RotatedSetMask[s] = 1ull << RotatedIndex(s);
  }
}

void BuildBitTables() {
  for (int v = 0; v < 65536; v++) {
    Attacks.PopCount16[v] = static_cast<uint8_t>(__builtin_popcount(v));
    Attacks.LowestBit16[v] = static_cast<uint8_t>(v ? __builtin_ctz(v) : 0);
  }
  for (int v = 0; v < 256; v++) {
    Attacks.LowestBit8[v] = static_cast<uint8_t>(v ? __builtin_ctz(v) : 0);
    Attacks.HighestBit8[v] = static_cast<uint8_t>(v ? 31 - __builtin_clz(v) : 0);
  }
}

void BuildStepTables() {
  for (int s = 0; s < 64; s++) {
    Attacks.KnightAttacks[s] = StepSet(s, KnightDelta, 8);
    Attacks.KingAttacks[s] = StepSet(s, KingDelta, 8);
    const int whitePawn[2] = {7, 9};
    const int blackPawn[2] = {-9, -7};
    Attacks.PawnAttacks[WHITE][s] = StepSet(s, whitePawn, 2);
    Attacks.PawnAttacks[BLACK][s] = StepSet(s, blackPawn, 2);
    const int diagonal[4] = {-9, -7, 7, 9};
    const int orthogonal[4] = {-8, -1, 1, 8};
    Attacks.BishopRays[s] = SlideSet(s, diagonal, 4);
    Attacks.RookRays[s] = SlideSet(s, orthogonal, 4);
    Attacks.QueenRays[s] = Attacks.BishopRays[s] | Attacks.RookRays[s];
  }
}

void BuildInBetween() {
  std::memset(Attacks.InBetween, 0, sizeof Attacks.InBetween);
  for (int a = 0; a < 64; a++) {
    for (int d : RayDelta) {
      Bitboard passed = 0;
      int sq = a;
      while (StepOnBoard(sq, d)) {
        sq += d;
        Attacks.InBetween[a][sq] = passed;
        passed |= 1ull << sq;
      }
    }
  }
}

void BuildLineDir() {
  std::memset(Attacks.LineDir, 0, sizeof Attacks.LineDir);
  for (int a = 0; a < 64; a++) {
    for (int d : RayDelta) {
      int sq = a;
      while (StepOnBoard(sq, d)) {
        sq += d;
        Attacks.LineDir[sq][a] = static_cast<int8_t>(d);
      }
    }
  }
}

void BuildRays() {
  for (int dir = 0; dir < 8; dir++)
    for (int s = 0; s < 64; s++) Attacks.Ray[dir][s] = SlideSet(s, &RayDelta[dir], 1);
}

void BuildReach() {
  const int diagonal[4] = {-9, -7, 7, 9};
  const int orthogonal[4] = {-8, -1, 1, 8};
  for (int a = 0; a < 64; a++) {
    const Bitboard sets[5] = {StepSet(a, KnightDelta, 8), SlideSet(a, diagonal, 4), SlideSet(a, orthogonal, 4),
                              SlideSet(a, RayDelta, 8), StepSet(a, KingDelta, 8)};
    for (int kind = 0; kind < 5; kind++)
      for (int b = 0; b < 64; b++) Attacks.Reach[kind][a][b] = (sets[kind] >> b) & 1;
  }
}

void BuildBeside() {
  for (int s = 0; s < 64; s++) {
    const int sideways[2] = {-1, 1};
    Attacks.Beside[s] = StepSet(s, sideways, 2) & (0xFFull << (RankOf(s) * 8));
  }
}

void BuildSlidingTables() {
  for (int s = 0; s < 64; s++) {
    for (int o = 0; o < 256; o++) {
      uint8_t occ = static_cast<uint8_t>(o);
      Attacks.RankAttacks[s][o] = LineWalk(s, 1, occ, [](int sq) { return FileOf(sq); });
      Attacks.FileAttacks[s][o] = LineWalk(s, 8, occ, [](int sq) { return RankOf(sq); });
      Attacks.AntiDiagAttacks[s][o] = LineWalk(s, 7, occ, AntiDiagBit);
      Attacks.DiagAttacks[s][o] = LineWalk(s, 9, occ, DiagBit);
    }
  }
  for (int f = 0; f < 8; f++) {
    for (int o = 0; o < 256; o++) {
      Bitboard reach = LineWalk(f, 1, static_cast<uint8_t>(o), [](int sq) { return FileOf(sq); });
      Attacks.RankReach8[f][o] = static_cast<uint8_t>(reach & 0xFF);
    }
  }
}

void InitAttackTables() {
  static bool built = false;
  if (built) return;
  BuildMasks();
  BuildBitTables();
  BuildStepTables();
  BuildInBetween();
  BuildLineDir();
  BuildRays();
  BuildReach();
  BuildBeside();
  BuildSlidingTables();
  BuildQuietBuckets();
  BuildMoveKeys();
  built = true;
}

// ---------------------------------------------------------------------------
// Attack tests
// ---------------------------------------------------------------------------

bool IsAttackedByWhite(int s) {
  const Bitboard* bb = Pos.PieceBB;
  if (Attacks.PawnAttacks[BLACK][s] & bb[BBIndex(WHITE, PAWN)]) return true;
  if (Attacks.KnightAttacks[s] & bb[BBIndex(WHITE, KNIGHT)]) return true;
  if (BishopAttacksFrom(s) & (bb[BBIndex(WHITE, BISHOP)] | bb[BBIndex(WHITE, QUEEN)])) return true;
  if (RookAttacksFrom(s) & (bb[BBIndex(WHITE, ROOK)] | bb[BBIndex(WHITE, QUEEN)])) return true;
  return (Attacks.KingAttacks[s] & bb[BBIndex(WHITE, KING)]) != 0;
}

bool IsAttackedByBlack(int s) {
  const Bitboard* bb = Pos.PieceBB;
  if (Attacks.PawnAttacks[WHITE][s] & bb[BBIndex(BLACK, PAWN)]) return true;
  if (Attacks.KnightAttacks[s] & bb[BBIndex(BLACK, KNIGHT)]) return true;
  if (BishopAttacksFrom(s) & (bb[BBIndex(BLACK, BISHOP)] | bb[BBIndex(BLACK, QUEEN)])) return true;
  if (RookAttacksFrom(s) & (bb[BBIndex(BLACK, ROOK)] | bb[BBIndex(BLACK, QUEEN)])) return true;
  return (Attacks.KingAttacks[s] & bb[BBIndex(BLACK, KING)]) != 0;
}

bool IsAttacked(int s, int side) { return side == WHITE ? IsAttackedByWhite(s) : IsAttackedByBlack(s); }

void RefreshSliderSets() {
  const Bitboard* bb = Pos.PieceBB;
  Bitboard queens = bb[BBIndex(WHITE, QUEEN)] | bb[BBIndex(BLACK, QUEEN)];
  Attacks.AllDiagSliders = bb[BBIndex(WHITE, BISHOP)] | bb[BBIndex(BLACK, BISHOP)] | queens;
  Attacks.AllLineSliders = bb[BBIndex(WHITE, ROOK)] | bb[BBIndex(BLACK, ROOK)] | queens;
}

Bitboard AttackersOf(int s) {
  const Bitboard* bb = Pos.PieceBB;
  return (Attacks.PawnAttacks[BLACK][s] & bb[BBIndex(WHITE, PAWN)]) |
         (Attacks.PawnAttacks[WHITE][s] & bb[BBIndex(BLACK, PAWN)]) |
         (Attacks.KnightAttacks[s] & (bb[BBIndex(WHITE, KNIGHT)] | bb[BBIndex(BLACK, KNIGHT)])) |
         (BishopAttacksFrom(s) & Attacks.AllDiagSliders) | (RookAttacksFrom(s) & Attacks.AllLineSliders) |
         (Attacks.KingAttacks[s] & (bb[BBIndex(WHITE, KING)] | bb[BBIndex(BLACK, KING)]));
}

namespace {

template <int Side>
Bitboard ColourAttackersOf(int s) {
  constexpr int Other = Side == WHITE ? BLACK : WHITE;
  const Bitboard* bb = Pos.PieceBB;
  return (Attacks.PawnAttacks[Other][s] & bb[BBIndex(Side, PAWN)]) |
         (Attacks.KnightAttacks[s] & bb[BBIndex(Side, KNIGHT)]) |
         (BishopAttacksFrom(s) & (bb[BBIndex(Side, BISHOP)] | bb[BBIndex(Side, QUEEN)])) |
         (RookAttacksFrom(s) & (bb[BBIndex(Side, ROOK)] | bb[BBIndex(Side, QUEEN)])) |
         (Attacks.KingAttacks[s] & bb[BBIndex(Side, KING)]);
}

}  // namespace

Bitboard WhiteAttackersOf(int s) { return ColourAttackersOf<WHITE>(s); }
Bitboard BlackAttackersOf(int s) { return ColourAttackersOf<BLACK>(s); }

bool IsPinnedToKing(int side, int s) {
  int king = Pos.KingSquare[side];
  int d = Abs(Attacks.LineDir[s][king]);
  if (d == 0) return false;
  int enemy = side == WHITE ? BLACK : WHITE;
  const Bitboard* bb = Pos.PieceBB;
  Bitboard line, sliders;
  if (d == 1 || d == 8) {
    line = d == 1 ? RankAttacksFrom(s) : FileAttacksFrom(s);
    sliders = bb[BBIndex(enemy, ROOK)] | bb[BBIndex(enemy, QUEEN)];
  } else {
    line = d == 7 ? AntiDiagAttacksFrom(s) : DiagAttacksFrom(s);
    sliders = bb[BBIndex(enemy, BISHOP)] | bb[BBIndex(enemy, QUEEN)];
  }
  return (line & Attacks.SetMask[king]) && (line & sliders);
}

bool PieceAttacks(int type, int from, int to) {
  switch (type) {
    case PAWN: {
      int step = Pos.SideToMove == WHITE ? 8 : -8;
      int offset = to - from - step;
      return offset >= -1 && offset <= 1;
    }
    case KNIGHT:
    case KING:
      return Attacks.Reach[type == KNIGHT ? 0 : 4][from][to] != 0;
    case BISHOP:
    case ROOK:
    case QUEEN:
      return Attacks.Reach[type - KNIGHT][from][to] && !(Attacks.InBetween[from][to] & Pos.AllOcc);
    default:
      std::printf("Error on piece in PieceAttack piece=%d", type);
      std::fflush(stdout);
      WaitKey();
      return false;
  }
}

// ---------------------------------------------------------------------------
// Static exchange
// ---------------------------------------------------------------------------

namespace {

// The slider standing directly behind sq, seen from `to`, that joins the
// exchange once the piece on sq has captured. The board is not changed, so
// the line lookup from sq finds exactly the first piece behind it.
inline Bitboard XrayBehind(int sq, int to) {
  int d = Attacks.LineDir[to][sq];
  if (d == 0) return 0;
  Bitboard line;
  switch (d) {
    case 1:
    case -1:
      line = RankAttacksFrom(sq) & Attacks.AllLineSliders;
      break;
    case 8:
    case -8:
      line = FileAttacksFrom(sq) & Attacks.AllLineSliders;
      break;
    case 7:
    case -7:
      line = AntiDiagAttacksFrom(sq) & Attacks.AllDiagSliders;
      break;
    default:
      line = DiagAttacksFrom(sq) & Attacks.AllDiagSliders;
      break;
  }
  return line & Attacks.Ray[OppositeRay.Index[d + 9]][sq];
}

}  // namespace

int StaticExchange(int from, int to) {
  // One entry per capture: even a set-up board crowded beyond chess holds at
  // most 35 capturers (27 squares on the lines through `to`, 8 knight squares).
  int gain[40];
  Bitboard attackers = AttackersOf(to);
  gain[0] = PieceValue[TypeOfCode(Pos.Board[to])];
  int onSquare = PieceValue[TypeOfCode(Pos.Board[from])];
  int side = Pos.SideToMove == WHITE ? BLACK : WHITE;
  int n = 1;
  attackers &= Attacks.ClearMask[from];
  attackers |= XrayBehind(from, to);
  for (;;) {
    // The side without a capturer left ends the exchange before the search
    // for its least valuable one.
    const Bitboard mine = attackers & (side == WHITE ? Pos.WhiteOcc : Pos.BlackOcc);
    if (!mine) break;
    int attacker = -1;
    for (int type = PAWN; type <= KING; type++) {
      const Bitboard own = mine & Pos.PieceBB[BBIndex(side, type)];
      if (own) {
        attacker = LowestSquare(own);
        break;
      }
    }
    if (attacker < 0) break;
    attackers &= Attacks.ClearMask[attacker];
    gain[n] = onSquare - gain[n - 1];
    onSquare = PieceValue[TypeOfCode(Pos.Board[attacker])];
    attackers |= XrayBehind(attacker, to);
    n++;
    side ^= 1;
  }
  for (int i = n - 1; i >= 1; i--) {
    int a = -gain[i - 1], b = gain[i];
    gain[i - 1] = -(a > b ? a : b);
  }
  return gain[0];
}
