// The capture search below the horizon: stand pat, a futility filter on the
// material a capture can bring back, an exchange test, and the captures in
// order of their gain.
#include "search/search_internal.h"

using namespace search;

namespace {

constexpr int KEY_SHIFT = 24;         // the sort key rides in bits 24-29 of a list word
constexpr Move MOVE_BITS = 0xFFFFFF;  // what is left of the word for make

inline int SortKey(Move word) { return static_cast<int>(word >> KEY_SHIFT); }

}  // namespace

int CaptureSearch(int alpha, int beta) {
  Srch.NodeCount++;
  Srch.PollCountdown--;
  const int ply = Tree.Ply;
  if (ply >= MAX_PLY) {
    EndPvHere();
    return beta;
  }

  const int entryAlpha = alpha;
  const int standPat = EvaluateSide(alpha, beta);
  if (standPat >= beta) return standPat;
  if (standPat > alpha) alpha = standPat;

  GenerateQuiescenceCaptures();
  Move* list = Gen.QuiescenceList[ply];
  const int generated = Gen.QuiescenceEnd;
  int kept = 0;
  if (generated > 0) {
    const int delta = alpha - 300 - SideMaterial();
    const int opponentUnits = Pos.PieceUnits[Pos.SideToMove ^ 1];
    bool slidersFresh = false;
    for (int i = 0; i < generated; i++) {
      const Move m = list[i];
      const int captured = MoveCaptured(m);
      // The previous move left its own king en prise.
      if (captured == KING) return beta;
      const int gain = CaptureValues.MaterialGain[MoveGainIndex(m)];
      if (gain < delta && !(opponentUnits <= 12 && opponentUnits - PieceRank[captured] <= 3)) continue;
      const int trade = CaptureValues.TradeTable[MoveTradeIndex(m)];
      int key;
      if (trade > 0 || (trade == 0 && delta <= 0)) {
        key = gain / 100;
      } else {
        if (!slidersFresh) {
          RefreshSliderSets();
          slidersFresh = true;
        }
        const int exchange = StaticExchange(MoveFrom(m), MoveTo(m));
        if (exchange < 0) continue;
        key = exchange / 100;
      }
      PrefetchEvaluationAfter(m);
      list[kept++] = m | static_cast<Move>(key & 63) << KEY_SHIFT;
    }
    // Highest key first; equal keys keep their generation order.
    for (int i = 1; i < kept; i++) {
      const Move word = list[i];
      int j = i;
      while (j > 0 && SortKey(list[j - 1]) < SortKey(word)) {
        list[j] = list[j - 1];
        j--;
      }
      list[j] = word;
    }
  }

  for (int i = 0; i < kept; i++) {
    const Move m = list[i] & MOVE_BITS;
    const SavedState saved = SaveState();
    EnterChild(m);
    Descend();
    const int score = -CaptureSearch(-beta, -alpha);
    Ascend();
    LeaveChild(m, saved);
    if (score > alpha) {
      if (score >= beta) return score;
      alpha = score;
    }
  }

  if (alpha != entryAlpha) EndPvHere();
  return alpha;
}
