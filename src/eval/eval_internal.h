// Evaluation internals shared by the term evaluators and their tests.
#pragma once

#include "eval/eval.h"

// Pawn skeleton from the pawn cache (builds the entry on a miss); makes the
// entry current in Ev.PawnEntry and returns its score.
int PawnStructure();
// Passed pawns against the rest of the position; may set Ev.UnstoppablePasser.
int PassedPawnTerms();
// The king race of a pure pawn ending.
int PawnEndingKings();
// Pawn cover and open files of both kings; sets Ev.KingDanger.
int KingShelter();

// Rook-pawn endings the defending king holds. attacker is the colour of the pawns.
bool WrongRookPawnDraw(int attacker);
int PawnlessMopUp();
// The last two scalings of a full evaluation: opposite-coloured bishops
// (reads Ev.BishopColours), then the stronger side without pawns.
int OppositeBishopsScale(int score);
int NoPawnsScale(int score);

// Piece terms, in the order the driver calls them.
int TrappedPieceTerms();        // trapped bishops and early queen, before the lazy exit
int RookShutInTerms();
int KingPlacementTerms();       // endgame king tables
int PieceTerms();               // knights, bishops, rooks, queens; fills KingAttack and BishopColours
int BishopPairTerms();
int DevelopmentTerms();
int KingAttackProduct();

// The danger index used to read the king tables: 8-bit sum as formed by
// KingShelter, kept inside 0..63.
int DangerIndex(int danger);

// Derived-table builders (InitEvalTables runs them in its fixed order).
void BuildPawnMasks();
void BuildTropism();
void BuildOutsideSquare();
void BuildKingShutInMasks();
void BuildBishopMobility();
void BuildImbalanceTable();
void BuildShelterTables();
void BuildKingBesideBelow();
void BuildOutsideFiles();

// Rank index from a colour's own side (0 = its first rank).
constexpr int RelativeRank(int colour, int sq) { return colour == WHITE ? RankOf(sq) : 7 - RankOf(sq); }
constexpr int Mirror(int sq) { return sq ^ 56; }
