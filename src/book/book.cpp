#include "book/book.h"

BookState Book;

// The book lands with its own subsystem; until then there is none to load,
// and so nothing to play from it.
void LoadBook() {}

Move ProbeBook() { return 0; }

// The book maker arrives with the book subsystem.
void MakeBook() {}
