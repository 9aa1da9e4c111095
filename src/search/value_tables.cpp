#include "search/search.h"

CaptureValueTables CaptureValues;

void InitSearchTables() {
  BuildCaptureValueTables();
  BuildRecaptureTable();
  Hints = {Srch.Killer1, Srch.Killer2, Srch.HistoryTable, Srch.PvTable[0], &Srch.RootHashMove};
}

void BuildCaptureValueTables() {
  for (int index = 0; index < 64; index++) {
    int captured = index & 7, promotion = index >> 3;
    bool neither = captured == 0 && promotion == 0;
    CaptureValues.CaptureGain[index] = neither ? 100 : PieceValue[captured] + PieceValue[promotion];
    CaptureValues.MaterialGain[index] =
        neither ? 100 : PieceValue[captured] + (promotion ? PieceValue[promotion] - 100 : 0);
  }
  for (int index = 0; index < 512; index++) {
    int mover = index & 7;
    CaptureValues.TradeTable[index] = CaptureValues.MaterialGain[index >> 3] - PieceValue[mover];
  }
}

void BuildRecaptureTable() {
  for (int index = 0; index < 64; index++) {
    int mover = index & 7, captured = index >> 3;
    bool recapture = false;
    switch (mover) {
      case PAWN:
        recapture = captured != 0;
        break;
      case KNIGHT:
      case BISHOP:
        recapture = captured >= PAWN && captured <= ROOK;
        break;
      case ROOK:
        recapture = captured >= KNIGHT && captured <= KING;
        break;
      case QUEEN:
        recapture = captured == QUEEN;
        break;
      default:
        break;
    }
    CaptureValues.RecaptureTable[index] = recapture ? 1 : 0;
  }
}
