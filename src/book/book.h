// Opening book: Book.bin records, load and probe, and the book maker.
#pragma once

#include <cstdint>

#include "position/position.h"

struct BookState {
  bool BookLoaded;  // Book.bin was found at the last load
};
extern BookState Book;

// Loads Book.bin from the current directory into the in-memory book.
void LoadBook();

// A book move for the current position (side to move folded into the key),
// or 0 when the book has none.
Move ProbeBook();

// Builds Book.bin from Book.pgn (the console's "makebook").
void MakeBook();
