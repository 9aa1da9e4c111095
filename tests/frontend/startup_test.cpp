// Start-up: the banner, then what option.txt makes of the table sizes and the
// strength, and the option values the xboard features show. Each row is an
// option.txt and everything the engine writes for "protover 2" after it.
#include "frontend/session.h"

namespace {

const std::string BANNER =
    "\n   *************************************************************************\n"
    "   *                              Vessik 4.2                               *\n"
    "   *            a chess engine for xboard, UCI and the console             *\n"
    "   *                                                                       *\n"
    "   *        Type \"new\" for a new game, \"go\" to let the engine move,        *\n"
    "   *               moves like e2e4 to play, \"quit\" to leave.               *\n"
    "   *************************************************************************\n";

// The table sizes and the strength line, then the features with the values in use.
fe::Transcript Startup(const char* name, const std::string& optionTxt, int pawn, int hash, int eval, int strength = 100,
                       int futility = 0, int tactical = 25) {
  const std::string sizes = "Pawn Hash : " + std::to_string(pawn) + "MB\nHash Tables: " + std::to_string(hash) +
                            "MB\nHash Eval Table: " + std::to_string(eval) + "MB\n" +
                            (strength == 100 ? "" : "WARNING: ") + "Vessik uses " + std::to_string(strength) +
                            "% of its strength!\nfeature done=0\n";
  return {name, "protover 2\n", BANNER + sizes + fe::Features(strength, futility, tactical) + fe::QUIT,
          optionTxt.empty() ? fe::Files{} : fe::Files{{"option.txt", optionTxt}}, {}, true};
}

const fe::Transcript CASES[] = {
    Startup("NoOptionFile", "", 3, 4, 2),
    Startup("SizesRoundDownToAPowerOfTwoEntries", "HASH 10 PAWNHASH 5 EVALHASH 3", 3, 8, 2),
    Startup("SmallSizes", "HASH 48\nPAWNHASH 1", 0, 32, 2),
    Startup("ZeroOrNegativeMegabytesAreOne", "HASH 0 EVALHASH -5 PAWNHASH 0", 0, 1, 1),
    Startup("SizesBeyond32BitsAreOne", "HASH 4096 EVALHASH 99999999999 PAWNHASH 4096", 0, 1, 1),
    Startup("StrengthAbove100Is100", "STRENGTH 150", 3, 4, 2),
    Startup("StrengthBelow0Is0", "STRENGTH -5", 3, 4, 2, 0),
    Startup("KeywordsAreCaseSensitiveWholeWords", "hash 64 FUTILITY = TRUE Futility=TRUE", 3, 4, 2),
    Startup("EveryKeyword",
            "FUTILITY=TRUE\nQEDGE -7\nCHAT=TRUE QUANTIZATION=TRUE\tQUICKPV=TRUE ANALYSE_MODE=TRUE\nMOVEIMMEDIATE=TRUE "
            "STRENGTH 40\n", 3, 4, 2, 40, 1, 0),
    Startup("TheFeaturesShowTheValuesInUse", "FUTILITY=TRUE STRENGTH 80 QEDGE 100 END.", 3, 4, 2, 80, 1, 60),
    Startup("ALaterKeywordWins", "FUTILITY=TRUE FUTILITY=FALSE HASH 16 HASH 64", 3, 64, 2),
    Startup("EndStopsTheReading", "QEDGE 10 END. QEDGE 40 HASH 64", 3, 4, 2, 100, 0, 10),
    Startup("AValueThatIsNoNumberIsReadAsTheNextWord", "HASH EVALHASH 8 QEDGE x1 STRENGTH 10abc", 3, 4, 8, 10),
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Startup, Transcripts, testing::ValuesIn(CASES), fe::ByName());
