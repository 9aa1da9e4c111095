// Opening book: Book.bin records, load and probe, book learning, and the book
// maker that builds Book.bin from Book.pgn.
#pragma once

#include <cstdint>

#include "position/position.h"

// One Book.bin record, 16 bytes little-endian on disk: the folded key of the
// position before the move (complemented when Black moves), then the data:
// bits 0-20 the Move word, bits 21-24 the weight class, the rest 0.
struct BookRecord {
  uint32_t KeyLow;
  uint32_t KeyHigh;
  uint32_t DataLow;
  uint32_t DataHigh;
};

constexpr int BOOK_RECORD_BYTES = 16;
constexpr int BOOK_TABLE_SIZE = 16384;
constexpr int BOOK_MAX_CANDIDATES = 512;
constexpr uint32_t BOOK_MOVE_MASK = MOVE_WORD_MASK;  // the low 21 bits carry the Move word
constexpr int BOOK_CLASS_SHIFT = 21;
constexpr uint32_t BOOK_DEFAULT_CLASS = 5;

constexpr Move BookMoveOf(const BookRecord& r) { return r.DataLow & BOOK_MOVE_MASK; }
constexpr int BookClassOf(uint32_t dataLow) { return static_cast<int>((dataLow >> BOOK_CLASS_SHIFT) & 15); }
constexpr bool BookRecordPresent(const BookRecord& r) { return (r.DataLow | r.DataHigh) != 0; }

// Written by the book's load, probe and learning routines only.
struct BookState {
  BookRecord BookTable[BOOK_TABLE_SIZE];
  int RecordCount;      // records loaded from Book.bin, in file order
  uint8_t BookLoaded;   // 1 when Book.bin could be opened at the last load
  uint32_t RandomState; // the book's pseudo-random generator
};
extern BookState Book;

// Loads Book.bin from the current directory into BookTable, from record 0 on.
// No file: BookLoaded = 0 and no message. A file longer than the table fills
// the table, prints "book index is too large!" and the rest is not read.
void LoadBook();

// The book move for the current position (Pos.Key folded by the side to move),
// chosen at random within the highest weight class present, with the
// generator seeded by the calendar time in seconds; 0 when there is none.
// Records whose move cannot be played here are passed over.
Move ProbeBook();
// The same choice for an explicit folded key and seed.
Move ProbeBookWith(HashKey foldedKey, uint32_t seed);

// The generator: seeding sets the state; each draw advances it and returns
// 15 bits.
void SeedBookRandom(uint32_t seed);
int NextBookRandom();

// Book learning: removes from the in-memory book every record of this folded
// key whose move field equals move (its data becomes 0). Book.bin is untouched.
void ForgetBookMove(HashKey foldedKey, Move move);

// Builds Book.bin from Book.pgn (the console's "makebook"). Plays the lines on
// the global position; the caller rebuilds the game afterwards.
void MakeBook();
