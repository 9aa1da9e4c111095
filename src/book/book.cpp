// Opening book: loading Book.bin into memory, the weighted random probe, and
// book learning on the in-memory records.
#include <cstdio>
#include <cstring>

#include "book/book.h"
#include "platform/platform.h"

BookState Book;

namespace {

uint32_t ReadLe32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

BookRecord DecodeRecord(const unsigned char* bytes) {
  return {ReadLe32(bytes), ReadLe32(bytes + 4), ReadLe32(bytes + 8), ReadLe32(bytes + 12)};
}

// A record can name a move that does not fit the position (a damaged file, or
// a key shared by two positions). Such a move would be played untested, so it
// must be one of the generated moves and must not leave the mover's king
// attacked.
struct LegalityTest {
  bool Generated = false;

  bool Legal(Move move) {
    if (move == 0) return false;
    if (!Generated) {
      GenerateAll();
      Generated = true;
    }
    const PlyBuckets& buckets = Gen.RootBuckets[Tree.Ply];
    bool found = false;
    for (int b = 0; b < BUCKET_COUNT && !found; b++) {
      for (int i = 0; i < buckets.Count[b]; i++) {
        if (buckets.Moves[b][i] == move) {
          found = true;
          break;
        }
      }
    }
    if (!found) return false;
    return KeepsOwnKingSafe(move);
  }
};

}  // namespace

void LoadBook() {
  Book.RecordCount = 0;
  FILE* probe = std::fopen("Book.bin", "rb");
  Book.BookLoaded = probe != nullptr;
  if (!probe) return;
  std::fclose(probe);

  FILE* file = std::fopen("Book.bin", "rb");
  if (!file) {
    std::printf("Error on reading Book.bin");
    std::fflush(stdout);
    return;
  }
  unsigned char bytes[BOOK_RECORD_BYTES];
  for (;;) {
    size_t got = std::fread(bytes, 1, sizeof bytes, file);
    if (got == 0) break;
    if (Book.RecordCount == BOOK_TABLE_SIZE) {
      // The table is full and the file goes on: the rest is never stored.
      std::printf("book index is too large!\n");
      std::fflush(stdout);
      WaitKey();
      break;
    }
    std::memset(bytes + got, 0, sizeof bytes - got);
    BookRecord record = DecodeRecord(bytes);
    // A file cut inside its last record: the move in it cannot be trusted,
    // so the record is kept with data 0, which no probe takes.
    if (got < sizeof bytes) record.DataLow = record.DataHigh = 0;
    Book.BookTable[Book.RecordCount++] = record;
  }
  std::fclose(file);
}

void SeedBookRandom(uint32_t seed) { Book.RandomState = seed; }

int NextBookRandom() {
  Book.RandomState = Book.RandomState * 22695477u + 1u;
  return static_cast<int>((Book.RandomState >> 16) & 0x7FFF);
}

Move ProbeBookWith(HashKey foldedKey, uint32_t seed) {
  SeedBookRandom(seed);
  const uint32_t low = KeyLow(foldedKey), high = KeyHigh(foldedKey);
  LegalityTest test;

  uint32_t candidates[BOOK_MAX_CANDIDATES];
  int count = 0;
  for (int i = 0; i < Book.RecordCount && count < BOOK_MAX_CANDIDATES; i++) {
    const BookRecord& r = Book.BookTable[i];
    if (r.KeyLow != low || r.KeyHigh != high || !BookRecordPresent(r)) continue;
    if (!test.Legal(BookMoveOf(r))) continue;
    candidates[count++] = r.DataLow;
  }
  if (count == 0) return 0;

  // Only the highest weight class present is drawn from.
  int best = 0, kept = 0;
  for (int i = 0; i < count; i++) {
    int c = BookClassOf(candidates[i]);
    if (c == best) {
      candidates[kept++] = candidates[i];
    } else if (c > best) {
      best = c;
      candidates[0] = candidates[i];
      kept = 1;
    }
  }
  VESSIK_ASSERT(kept > 0);
  int r = NextBookRandom() % kept;
  return candidates[r] & BOOK_MOVE_MASK;
}

Move ProbeBook() {
  if (Pos.Chess960) return 0;  // the book holds standard games only
  return ProbeBookWith(FoldSide(Pos.Key, Pos.SideToMove), static_cast<uint32_t>(SecondsNow()));
}

void ForgetBookMove(HashKey foldedKey, Move move) {
  const uint32_t low = KeyLow(foldedKey), high = KeyHigh(foldedKey);
  for (int i = 0; i < Book.RecordCount; i++) {
    BookRecord& r = Book.BookTable[i];
    if (r.KeyLow == low && r.KeyHigh == high && BookMoveOf(r) == (move & BOOK_MOVE_MASK)) {
      r.DataLow = 0;
      r.DataHigh = 0;
    }
  }
}
