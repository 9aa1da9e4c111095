#include "book/book.h"

// The book lands with its own subsystem; until then there is none to load.
void LoadBook() {}

// The book maker arrives with the book subsystem.
void MakeBook() {}
