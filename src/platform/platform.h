// Linux layer: console screen, key presses, line input over fd 0, clocks, signals.
#pragma once

#include <cstdint>
#include <cstddef>
#include <cstdio>

// Ignore SIGINT (xboard sends it to its engines) and SIGPIPE (a GUI that
// closes its end of the pipe must not kill us in the middle of a write).
void PlatformInit();

// --- Console screen -------------------------------------------------------
// These write ANSI sequences only when stdout is a terminal, so that no escape
// byte ever reaches a GUI's pipe.
void ConsoleClear();
void ConsoleGotoXY(int column, int row);  // 1-based, column 1 row 1 = top left

// --- Key presses ------------------------------------------------------------
// A key is read only when stdin is a terminal. On a pipe, WaitKey returns at
// once and consumes nothing, and KeyWaiting is false: on Linux the key queue
// and standard input are one stream, and lines must not be eaten.
bool KeyWaiting();
int ReadKey();  // one key without echo; -1 when stdin is not a terminal
void WaitKey();

// --- Line input -------------------------------------------------------------
// One reader of our own over read(2) on fd 0 with its own buffer. Every part
// of the engine reads standard input through it.

// Reads one line into buf, fgets-style: at most size - 1 bytes, stopping after
// a line end, then a terminating zero. A carriage return directly before the
// line end is dropped. When dropRest is set and the line is longer than the
// buffer, the rest of it up to and including its line end is discarded and the
// stored text ends with "\n"; otherwise the rest is left for the next call.
// Returns the number of bytes stored, or 0 at end of input (buf is then "").
int ReadLine(char* buf, int size, bool dropRest);

// Reads one white-space delimited word (at most size - 1 bytes; a longer word
// is truncated and its rest discarded). Leading white space, line ends
// included, is skipped; the delimiter after the word stays unread.
// Returns the length, or 0 at end of input.
int ReadWord(char* buf, int size);

// The answer to a console prompt: ReadWord, then the rest of the line when
// it is blank, and the answer copied to log (unless null) as a line of its own.
int ReadPromptWord(char* buf, int size, FILE* log);

// True when the reader's buffer holds bytes or poll() says fd 0 is readable
// (which includes a closed pipe, so that the end of input is noticed).
bool InputWaiting();

// True once a read on fd 0 has reported end of input (or an error) and the
// buffer is empty. Callers treat it as "quit" and never spin on it.
bool InputEnded();

// Tests only: forget buffered bytes and the end-of-input state.
void ResetInputForTests();

// --- Clocks -----------------------------------------------------------------
int64_t TickMs();       // milliseconds from a steady clock
int64_t SecondsNow();   // calendar time in whole seconds

// --- Terminals ----------------------------------------------------------------
bool StdinIsTerminal();
bool StdoutIsTerminal();

// --- Table memory -----------------------------------------------------------
// Blocks for the hash tables: aligned to 2 MB and offered to the kernel for
// transparent huge pages, so that a probe into a large table rarely misses the
// TLB. Null when the memory is not there; FreeTableMemory(nullptr) does nothing.
void* AllocateTableMemory(size_t bytes);
void FreeTableMemory(void* block);
