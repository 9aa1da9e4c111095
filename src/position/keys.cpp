#include "position/position.h"

namespace {

// The Zobrist constants come from a fixed-seed generator evaluated at compile
// time: the same values in every build, which Book.bin relies on.
constexpr uint64_t SplitMix(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

constexpr ZobristConstants GenerateKeys() {
  ZobristConstants k{};
  uint64_t state = 0x56657373696B3432ull;  // "Vessik42"
  auto next = [&state]() {
    uint64_t v = 0;
    while (v == 0) v = SplitMix(state);
    return v;
  };
  for (auto& row : k.PieceKeys)
    for (auto& v : row) v = next();
  for (auto& v : k.CastleKeys) v = next();
  for (auto& v : k.EnPassantKeys) v = next();
  for (auto& row : k.PawnKeys)
    for (auto& v : row) v = next();
  return k;
}

// Rights with a rook on another file than h (short) or a (long): one
// constant per right and rook file, from their own seed. The standard files'
// slots are unused: those rights keep CastleKeys, so standard keys stay.
struct Castle960Table {
  HashKey Keys[4][8];
};
constexpr Castle960Table GenerateCastle960Keys() {
  Castle960Table t{};
  uint64_t state = 0x4368657373393630ull;  // "Chess960"
  for (auto& row : t.Keys)
    for (auto& v : row) v = SplitMix(state) | 1;
  return t;
}
constinit const Castle960Table Castle960Keys = GenerateCastle960Keys();

constexpr int StandardRookFile[4] = {7, 0, 7, 0};

}  // namespace

constinit const ZobristConstants Zobrist = GenerateKeys();

HashKey CastleRightKey(int index) {
  const int file = FileOf(CastleRookSquareOf(index));
  return file == StandardRookFile[index] ? Zobrist.CastleKeys[index] : Castle960Keys.Keys[index][file];
}
HashKey MoveKeys[14][4096];

void RecomputeKeys() {
  Pos.ScratchKey = 0;
  Pos.ScratchPawnKey = 0;
  for (int sq = 0; sq < 64; sq++) {
    int code = Pos.Board[sq];
    int type = TypeOfCode(code);
    if (type == NO_PIECE || type == 7) continue;
    Pos.ScratchKey ^= Zobrist.PieceKeys[PieceKeyRow(code)][sq];
    if (type == PAWN) Pos.ScratchPawnKey ^= Zobrist.PawnKeys[IsBlackCode(code) ? BLACK : WHITE][sq];
  }
  for (int i = 0; i < 4; i++)
    if (Pos.CastleRights & (1 << i)) Pos.ScratchKey ^= CastleRightKey(i);
  if (Pos.EnPassantBB) Pos.ScratchKey ^= Zobrist.EnPassantKeys[__builtin_ctzll(Pos.EnPassantBB)];
  Pos.Key = Pos.ScratchKey;
  Pos.PawnKey = Pos.ScratchPawnKey;
}

void BuildMoveKeys() {
  for (int colour : {WHITE, BLACK}) {
    for (int type = PAWN; type <= KING; type++) {
      const HashKey* table = Zobrist.PieceKeys[PieceKeyRow(PieceCodeOf(colour, type))];
      HashKey* row = MoveKeys[MoveKeyRow(colour, type)];
      for (int from = 0; from < 64; from++)
        for (int to = 0; to < 64; to++) row[from + 64 * to] = table[from] ^ table[to];
    }
    const HashKey* pawnTable = Zobrist.PawnKeys[colour];
    HashKey* pawnRow = MoveKeys[PawnMoveKeyRow(colour)];
    for (int from = 0; from < 64; from++)
      for (int to = 0; to < 64; to++) pawnRow[from + 64 * to] = pawnTable[from] ^ pawnTable[to];
  }
}
