// The console's saved games (N.dat raw, N.txt in SAN) and its move listing.
#include <cstdio>
#include <cstring>

#include "frontend/game_record.h"
#include "platform/platform.h"

namespace {

// Names are single words of at most 250 characters; the extension follows.
constexpr int NAME_SIZE = 251;

// Prompts at the console and reads the name N; false when input ended first.
bool ReadGameName(char* name) {
  ConsoleGotoXY(1, 18);
  std::printf("Please enter your file name(without extention) : ");
  std::fflush(stdout);
  return ReadPromptWord(name, NAME_SIZE, Game.LogFile) > 0;
}

void PutLittleEndian(FILE* f, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; i++) std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), f);
}

bool GetLittleEndian(FILE* f, uint32_t& value, int bytes) {
  value = 0;
  for (int i = 0; i < bytes; i++) {
    int c = std::fgetc(f);
    if (c == EOF) return false;
    value |= static_cast<uint32_t>(c) << (8 * i);
  }
  return true;
}

void ReportAt20(const char* text) {
  ConsoleGotoXY(1, 20);
  std::printf("%s", text);
  std::fflush(stdout);
}

}  // namespace

void SaveGameDialogue() {
  char name[NAME_SIZE];
  char path[NAME_SIZE + 8];
  FILE* text = nullptr;
  FILE* raw = nullptr;
  if (ReadGameName(name)) {
    std::snprintf(path, sizeof path, "%s.txt", name);
    text = std::fopen(path, "w");
    std::snprintf(path, sizeof path, "%s.dat", name);
    raw = std::fopen(path, "wb");
  }
  if (!text || !raw) {
    if (text) std::fclose(text);
    if (raw) std::fclose(raw);
    ReportAt20("Disk is full.                    ");
    return;
  }

  // The SAN needs each move's position, so the game is replayed from its start;
  // the replay ends on the current position.
  static char sans[MAX_GAME_MOVES][SAN_TEXT_SIZE];
  AlignRecordWithBoard();
  int count = History.GameMoveCount;
  BeginReplay();
  int made = 0;
  while (made < count && ReplayMove(made, sans[made])) made++;
  History.GameMoveCount = made;
  RecomputeKeys();

  PutLittleEndian(raw, static_cast<uint32_t>(made) & 0xFFFF, 2);
  for (int k = 0; k < made; k++) {
    if (k % 2 == 0) {
      std::fprintf(text, "%d.%s   ", k / 2 + 1, sans[k]);
    } else {
      std::fprintf(text, "%s  \n", sans[k]);
    }
    PutLittleEndian(raw, Game.GameMoves[k], 4);
  }
  bool written = std::ferror(text) == 0 && std::ferror(raw) == 0;
  written = std::fclose(text) == 0 && written;
  written = std::fclose(raw) == 0 && written;
  if (!written) {
    // A write that failed (full disk) must not be reported as saved.
    ReportAt20("Disk is full.                    ");
    return;
  }
  ReportAt20("File saved.                                             ");
}

void LoadGameDialogue() {
  char name[NAME_SIZE];
  char path[NAME_SIZE + 8];
  FILE* raw = nullptr;
  if (ReadGameName(name)) {
    std::snprintf(path, sizeof path, "%s.dat", name);
    raw = std::fopen(path, "rb");
  }
  if (!raw) {
    ReportAt20("File not found.                        ");
    return;
  }

  BeginReplay();
  History.GameMoveCount = 0;
  uint32_t count = 0;
  GetLittleEndian(raw, count, 2);
  // The record holds 2048 moves; a short file ends the game where it ends, and
  // a word that is not a legal move of its position ends it there too.
  if (count > MAX_GAME_MOVES) count = MAX_GAME_MOVES;
  int made = 0;
  for (uint32_t k = 0; k < count; k++) {
    uint32_t word;
    if (!GetLittleEndian(raw, word, 4)) break;
    Game.GameMoves[made] = word;
    if (!ReplayMove(made)) break;
    made++;
  }
  std::fclose(raw);
  History.GameMoveCount = made;
  RecomputeKeys();
  Game.HumanColour = Pos.SideToMove;
  Game.EngineColour = Pos.SideToMove ^ 1;
}

void PrintGameListing() {
  ConsoleClear();
  for (int k = 0; k < History.GameMoveCount; k++) {
    if (k % 2 == 0) std::printf("%d.", k / 2 + 1);
    PrintCoordMove(Game.GameMoves[k]);
    if (k % 2 == 1) {
      std::fflush(stdout);
      WaitKey();
      std::printf("\n");
    }
  }
  std::printf("\n\nPress a key");
  std::fflush(stdout);
  WaitKey();
  ConsoleClear();
}
