// Opening book: Book.bin records, load and probe, and the book maker.
#pragma once

#include <cstdint>

#include "position/position.h"

// Loads Book.bin from the current directory into the in-memory book.
void LoadBook();

// Builds Book.bin from Book.pgn (the console's "makebook").
void MakeBook();
