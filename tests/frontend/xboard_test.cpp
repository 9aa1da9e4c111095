// xboard and console transcripts: each row is the whole input of a fresh
// engine (closed at its end, which acts as quit), the replies it must give
// (line patterns; thinking and divide lines left out), and the files it must
// leave. Positions are told apart by their perft counts. Then the start-up
// rows.
#include "frontend/session.h"

namespace {

const std::string PROMPT = "Please enter your file name(without extention) : ";
const std::string SAVED = "File saved." + std::string(45, ' ');
const std::string RUY_LOPEZ = "force\ne2e4\ne7e5\ng1f3\nb8c6\nf1b5\ng8f6\ne1g1\nf6e4\n";
const std::string RUY_TXT = "1.e4    e5   \n2.Cf3    Cc6   \n3.Fb5    Cf6   \n4.O-O    Cxe4   \n";
const std::string KNIGHTS_OUT_AND_BACK = "force\ng1f3\ng8f6\nf3g1\nf6g8\n";
const std::string FULL_RECORD = "force\n" + fe::Repeat("g1f3\ng8f6\nf3g1\nf6g8\n", 512);
const std::string HANDED_OVER =
    "force\nsetboard 4k3/8/8/8/8/8/4P3/4K3 b - - 0 1\nwhite\ne2e4\nsave\ng1\nload\ng1\ntestepd\nmissing.epd\n";

// The move word (from, to, piece, captured, promotion) and N.dat, written out by hand.
uint32_t W(const char* from, const char* to, int type, int captured = 0, int promotion = 0) {
  const int f = from[0] - 'a' + 8 * (from[1] - '1'), t = to[0] - 'a' + 8 * (to[1] - '1');
  return static_cast<uint32_t>(f | t << 6 | type << 12 | captured << 15 | promotion << 18);
}
std::string Dat(const std::vector<uint32_t>& words, int count = -1) {
  if (count < 0) count = static_cast<int>(words.size());
  std::string bytes = {static_cast<char>(count & 255), static_cast<char>(count >> 8)};
  for (uint32_t w : words)
    for (int i = 0; i < 4; i++) bytes += static_cast<char>(w >> (8 * i) & 255);
  return bytes;
}
const std::string RUY_DAT = Dat({W("e2", "e4", 1), W("e7", "e5", 1), W("g1", "f3", 2), W("b8", "c6", 2),
                                 W("f1", "b5", 3), W("g8", "f6", 2), W("e1", "g1", 6), W("f6", "e4", 2, 1)});
const uint32_t E4 = W("e2", "e4", 1), E5 = W("e7", "e5", 1);

// Every promotion letter (none is a queen, an unknown one too), a letter on a
// move that promotes nothing, and Black's promotions.
std::string Promotions() {
  std::string in;
  for (const char* p : {"", "q", "n", "N", "r", "b", "x"})
    in += "setboard 8/4P1k1/8/8/8/8/8/4K3 w - - 0 1\nforce\ne7e8" + std::string(p) + "\ng7h7\nperft 1\n";
  for (const char* p : {"n", ""})
    in += "setboard 4k3/8/8/8/8/8/p7/4K3 b - - 0 1\nforce\na2a1" + std::string(p) + "\ne1e2\nperft 1\n";
  return in + "setboard 3k4/8/8/8/8/8/4P3/4K3 w - - 0 1\nforce\ne2e4q\nperft 1\n";
}

// Boards the edit dialogue refuses: no black king, two white kings, no kings,
// pawns on the first and eighth ranks, the side not to move in check.
std::string UnplayableEdits() {
  std::string in = "force\ne2e4\n";
  for (const char* b : {"#\nKe1\nQd1\n", "#\nKe1\nKe2\nc\nKe8\n", "#\n", "#\nKe1\nc\nKe8\nPa1\n",
                        "#\nKe1\nPh8\nc\nKe8\n", "#\nKe1\nc\nKe8\nQe2\n", "x\nKe1\n\n\nc\n#\nKe1\n"})
    in += "edit\n" + std::string(b) + ".\nperft 1\n";
  return in + "undo\nperft 1\n";
}

// A setboard, two plies of search and the engine's answer.
fe::Transcript Judged(const char* name, const char* fen, const std::string& expected) {
  return {name, "easy\nsd 2\nsetboard " + std::string(fen) + "\ngo\nping 1\n", expected + "pong 1\n" + fe::QUIT};
}
const std::string CLAIM = "1/2-1/2 {Draw}\nmove [a-h][1-8][a-h][1-8]\n", PLAY = "move [a-h][1-8][a-h][1-8]\n";

const fe::Transcript CASES[] = {
    {"ProtoverAnswersTheFeaturesDoneLast", "xboard\nprotover 2\naccepted myname\nrejected sigint\n",
     fe::Features(100, 0, 25, 1) + fe::QUIT},
    {"OptionCommandsSetTheOptionsInRange",
     "option Futility=1\noption Positional strength=0\noption OwnBook=0\noption Tactical factor=75\noption Nonsense=3\n"
     "option Futility\noption Futility=x\nprotover 2\n",
     fe::Features(1, 1, 60, 0) + fe::QUIT},
    {"PingAnswersItsNumberOrZeroAndInterfaceCommandsNoReply",
     "xboard\ncomputer\nname Fairy-Max 5.0b\nrating 2000 1800\nics -\nrandom\nhint\nbk\ndraw\naccepted ping\n"
     "rejected memory\npost\nnopost\nping 7\nping\nPING 12\nping -3\nping +5\nping abc\nping 99999999999\n",
     "pong 7\npong 0\npong 12\npong -3\npong 5\npong 0\npong 2147483647\n" + fe::QUIT},
    {"ExitWithoutLineEndQuits", "ping 2\nexit", "pong 2\n" + fe::QUIT},
    {"TheEndOfInputQuitsAndEveryLineIsLogged", "new\nping 4\nUNDO\n  odd   line  \n", "pong 4\n" + fe::QUIT, {},
     {{"log.txt", "new\nping 4\nUNDO\n  odd   line  \n"}, {"Error.txt", ""}}},
    {"IllegalMovesAreRefusedOtherLinesIgnored",
     "force\ne2e5\nE7E5\nhello\nprint\n\nxyz\n1234\ni9i9\ni1a3\ne9e4\ne2x4\ne2e9\na1a1\ne2\nz\xff\xfe\xfd\notim x\n"
     "e2e4\nperft 1\n",
     "Illegal move: e2e5\nIllegal move: E7E5\nIllegal move: a1a1\n" + fe::Nodes({20}) + fe::QUIT},
    {"NoMoveMayLeaveTheOwnKingAttacked",
     "setboard 4r1k1/8/8/8/8/7b/4N3/4K3 w - - 0 1\nperft 1\nforce\ne2c3\ne1f1\ne1f2\nperft 1\n"
     "setboard 4k3/8/8/8/8/8/8/r3K2R w K - 0 1\nforce\ne1g1\n",
     fe::Nodes({3}) + "Illegal move: e2c3\nIllegal move: e1f1\n" + fe::Nodes({23}) + "Illegal move: e1g1\n" + fe::QUIT},
    {"PromotionLetters", Promotions(), fe::Nodes({25, 25, 9, 9, 18, 12, 25, 7, 26, 5}) + fe::QUIT},
    {"CastlingCapturesAndEnPassantByCoordinates",
     "force\ne2e4\nd7d5\ne4d5\ng8f6\ng1f3\ne7e5\nd5e6\nf8c5\nf1e2\ne8g8\ne1g1\nperft 1\n", fe::Nodes({39}) + fe::QUIT},
    {"SetboardKeepsTheLetterCaseAndNewReturnsToTheStart",
     "setboard R3K3/8/8/8/8/8/8/4k3 b - - 0 1\nperft 1\nnew\nperft 3\nperft 0\nperft 11\nperft\n",
     fe::Nodes({5, 8902}) + fe::QUIT},
    {"UndoRemoveForwardAndBack",
     "force\ne2e4\ne7e5\ng1f3\nb8c6\nremove\nperft 1\nforward\nperft 1\nforward\nforward\nforward\nperft 1\nUNDO\n"
     "retake\nperft 1\nback\nundo\nundo\nperft 1\nforward\nperft 1\nremove\nundo\ne2e4\nremove\nperft 1\n",
     fe::Nodes({29, 29, 27, 29, 20, 20, 20}) + fe::QUIT},
    {"ANewMoveAfterUndoOverwritesAndForwardStopsAtAStaleMove",
     "force\ne2e4\ne7e5\ng1f3\nundo\nundo\nundo\nd2d4\nforward\nforward\nforward\nperft 1\n"
     "new\nforce\ne2e4\nd7d5\ne4d5\nundo\nundo\nundo\nd2d4\nforward\nforward\nperft 1\n",
     fe::Nodes({31, 27}) + fe::QUIT},
    {"AHandedOverMoveStartsTheRecordAtTheBoard",
     "force\ne2e4\nwhite\nd2d4\ne7e5\nundo\nperft 1\nnew\nforce\ne2e4\nwhite\nblack\ne7e5\nundo\nundo\nperft 1\n",
     fe::Nodes({20, 20}) + fe::QUIT},
    {"WhiteAndBlackNeverLeaveAKingToBeTaken",
     "setboard 4k3/8/8/8/8/8/4q3/4K3 w - -\nforce\nblack\nperft 1\n"
     "setboard 4k3/8/8/8/5p2/8/3PP3/4K3 w - -\nforce\ne2e4\nwhite\nd2e3\nperft 1\n",
     fe::Nodes({1}) + "Illegal move: d2e3\n" + fe::Nodes({7}) + fe::QUIT},
    {"NewLeavesASetUpGameAndItsStaleMoves",
     "setboard 4k3/8/8/8/8/8/8/4K3 w - - 0 1\nforce\ne1e2\ne8e7\nnew\nperft 1\nforce\ne2e4\nforward\nperft 1\n",
     fe::Nodes({20, 20}) + fe::QUIT},
    {"UndoToASetUpStartKeepsItsEnPassantSquare",
     "setboard 4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1\nforce\nd4e3\nundo\nperft 1\n"
     "setboard 4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1\nforce\ne5d6\nundo\nperft 1\n",
     fe::Nodes({7, 7}) + fe::QUIT},
    {"OverLongLinesAreCutAndTheirRestDropped", "force\ne2e4" + std::string(400, ' ') + "junk\ne7e5\nperft 1\n",
     fe::Nodes({29}) + fe::QUIT},
    {"TheRecordHoldsAtMost2048HalfMoves", FULL_RECORD + "g1f3\nperft 1\nundo\nperft 1\nforward\nforward\ngo\nping 1\n",
     "Illegal move: g1f3\n" + fe::Nodes({20, 22}) + "1/2-1/2 {Draw}\npong 1\n" + fe::QUIT},
    {"MemorySizesTheTablesAndKeepsTheGame", "force\ne2e4\nmemory 32\ne7e5\nmemory 0\nmemory x\nmemory -1\nperft 1\n",
     "Hash Eval Table: 4MB\nPawn Hash : 12MB\nHash Tables: 16MB\n" + fe::Nodes({29}) + fe::QUIT},
    {"EditSetsUpAStartPositionWithItsCastling",
     "edit\n#\nKe1\nRh1\nRa1\nPe2\nxe4\nc\nKe8\nRa8\nPd7\nZb2\n.\nperft 1\nforce\ne1g1\nd7d5\nundo\nundo\nperft 1\n"
     "forward\nperft 1\ne1c1\ne8c8\nperft 1\nnew\nforce\ne2e4\nedit\n#\nKe1\nc\nKe8\n.\nperft 1\n",
     fe::Nodes({27, 27, 27, 25, 5}) + fe::QUIT},
    {"UnplayableEditedBoardsAreRefused", UnplayableEdits(), fe::Nodes({20, 20, 20, 20, 20, 20, 20, 20}) + fe::QUIT},
    {"TheEndOfInputInsideEditQuits", "edit\nKe1\n", fe::QUIT},
    {"MatesAreAnnouncedAndEndThePlay",
     "force\nf2f3\ne7e5\ng2g4\nd8h4\ne2e4\nnew\nforce\ne2e4\ne7e5\nd1h5\nb8c6\nf1c4\ng8f6\nh5f7\nnew\nforce\ne2e4\n"
     "f7f6\nd1h5\nsetboard k7/8/8/1Q6/8/8/8/7K w - - 0 1\nforce\nb5b6\nsetboard 7k/8/8/8/8/8/r4PPP/6K1 b - - 0 1\n"
     "force\na2a3\nundo\na2a1\n",
     "0-1 {Black mates}\nIllegal move: e2e4\n1-0 {White mates}\n0-1 {Black mates}\n" + fe::QUIT},
    {"PrintWithoutLineEndListsTheGame", "force\ne2e4\ne7e5\ng1f3\nprint",
     "1.e2e4 e7e5 \n2.g1f3 \n\nPress a key" + fe::QUIT},
    {"OneAndTwoWithoutLineEnd", "one", "One Player game." + fe::QUIT},
    // The line that stops the search is run afterwards: undo takes back the opponent's last move.
    {"TakebacksWhileThinking",
     "level 0 10 0\ntime 60000\notim 60000\nforce\ne2e4\ne7e5\ng1f3\ngo\nundo\nperft 1\ngo\nforce\nundo\nperft 1\ngo\n"
     "remove\nperft 1\nnew\nforce\ne2e4\ne7e5\ng1f3\nb8c6\ngo\nretake\nperft 1\ngo\nback\nperft 1\ngo\nwhite\n"
     "perft 1\ngo\nblack\nperft 1\n",  // white and black stop the search, whose move is played
     fe::Nodes({29, 20, 20, 29, 29}) + fe::Repeat(PLAY + "\nNodes searched: *\n", 2) + fe::QUIT},
    {"UndoWhileAnalysingTakesEffectWithTheNextLine", "force\ne2e4\nanalyze\nundo\nexit\nperft 1\n",
     fe::Nodes({20}) + fe::QUIT},
    {"AnAnalysisThatEndsByItselfWaitsForCommands",
     "setboard 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1\nanalyze\nping 1\nexit\nping 2\n", "pong 1\npong 2\n" + fe::QUIT},
    {"PonderingPredictsAReplyWhenTheLineHasNone", "hard\nsd 1\nforce\na2a3\nh7h6\ngo\nping 1\n",
     PLAY + "pong 1\n" + fe::QUIT, {{"Book.bin", vtest::Shipped("Book.bin")}}},
    {"PlaysWhenTheLogFilesCannotBeWritten", "easy\nsd 2\ne2e4\nsave\nx\n", PLAY + PROMPT + SAVED + fe::QUIT,
     {{"log.txt/", ""}, {"Error.txt/", ""}}},
    {"SetboardCountsFiftyMovesFromTheFen", "easy\nsd 2\nsetboard 4k3/8/8/8/8/8/8/R3K3 b - - 100 80\ngo\n",
     CLAIM + fe::QUIT},
    Judged("StalemateIsClaimedAndEndsThePlay", "k7/8/1Q6/8/8/8/8/7K b - -", "1/2-1/2 {Draw}\n"),
    Judged("MatedTheEngineResigns", "k7/1Q6/1K6/8/8/8/8/8 b - -", "1-0 {Black resigns}\n"),
    Judged("MateComesBeforeTheFiftyMoves", "R3k3/8/4K3/8/8/8/8/8 b - - 100 1", "1-0 {Black resigns}\n"),
    Judged("NinetyNineHalfMovesAreNoClaim", "4k3/8/8/8/8/8/8/R3K3 b - - 99 80", PLAY),
    Judged("BareKingsAreClaimed", "8/8/3k4/8/8/2K5/8/8 w - -", CLAIM),
    Judged("ASingleBishopIsClaimed", "8/8/3k4/8/8/2KB4/8/8 w - -", CLAIM),
    Judged("BishopsOnOneColourAreClaimed", "8/8/3kb3/8/8/2KB4/8/8 w - -", CLAIM),
    Judged("BishopsOnBothColoursPlayOn", "8/8/3k1b2/8/8/2KB4/8/8 w - -", PLAY),
    Judged("BishopAgainstKnightPlaysOn", "8/8/3kn3/8/8/2KB4/8/8 w - -", PLAY),
    Judged("TwoKnightsPlayOn", "8/8/3k4/8/8/2KNN3/8/8 w - -", PLAY),
    Judged("APawnPlaysOn", "8/8/3k4/8/8/2K5/7P/8 w - -", PLAY),
    Judged("AnEnPassantSquareAtTheRoot", "4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", PLAY),
    {"TheThirdOccurrenceIsClaimed", KNIGHTS_OUT_AND_BACK + KNIGHTS_OUT_AND_BACK + "easy\nsd 2\ngo\n", CLAIM + fe::QUIT},
    {"TheSecondOccurrenceIsNot", KNIGHTS_OUT_AND_BACK + "easy\nsd 2\ngo\n", PLAY + fe::QUIT},
    // Saved games: N.dat (count, then move words) and N.txt (the console's SAN).
    {"SaveWritesTheMovesAndTheirSan", RUY_LOPEZ + "save\ngame1\n", PROMPT + SAVED + fe::QUIT, {},
     {{"game1.dat", RUY_DAT}, {"game1.txt", RUY_TXT}}},
    {"SaveWritesEnPassantPromotionAndAnOddCount",
     "force\ne2e4\nd7d5\ne4e5\nf7f5\ne5f6\ne8d7\nf6f7\na7a6\nf7g8\nsave\ng\n", PROMPT + SAVED + fe::QUIT, {},
     {{"g.txt", "1.e4    d5   \n2.e5    f5   \n3.exf6    Rd7   \n4.f7    a6   \n5.fxg8=D    "},
      {"g.dat", Dat({E4, W("d7", "d5", 1), W("e4", "e5", 1), W("f7", "f5", 1), W("e5", "f6", 1), W("e8", "d7", 6),
                     W("f6", "f7", 1), W("a7", "a6", 1), W("f7", "g8", 1, 2, 5)})}}},
    {"LoadReplaysTheSavedGame", "load\ngame1\nping 1\nperft 1\nsave\ngame2\nload\ngame1\nundo\nundo\nsave\ngame3\n",
     PROMPT + "pong 1\n" + fe::Nodes({29}) + PROMPT + SAVED + PROMPT + PROMPT + SAVED + fe::QUIT,
     {{"game1.dat", RUY_DAT}},
     {{"game2.dat", RUY_DAT}, {"game2.txt", RUY_TXT}, {"game3.dat", Dat({}, 6) + RUY_DAT.substr(2, 24)}}},
    {"LoadOfAMissingFileChangesNothing", "force\ne2e4\nload\nnothere\nping 1\nperft 1\n",
     PROMPT + "File not found." + std::string(24, ' ') + "pong 1\n" + fe::Nodes({20}) + fe::QUIT},
    {"SaveIntoAMissingFolderFails", "force\ne2e4\nsave\nno/such/folder/g\nping 1\n",
     PROMPT + "Disk is full." + std::string(20, ' ') + "pong 1\n" + fe::QUIT},
    {"DamagedFilesLoadUpToTheirFirstBadMove",
     "load\nbad\nsave\nbad2\nload\nshort\nsave\nshort2\nload\nhuge\nsave\nhuge2\nload\nempty\nsave\nempty2\nping 1\n",
     fe::Repeat(PROMPT + PROMPT + SAVED, 4) + "pong 1\n" + fe::QUIT,
     {{"bad.dat", Dat({E4, E4, E5})}, {"short.dat", Dat({E4, E5}, 5)}, {"huge.dat", Dat({E4}, 0xFFFF)},
      {"empty.dat", ""}},
     {{"bad2.dat", Dat({E4})}, {"short2.dat", Dat({E4, E5})}, {"huge2.dat", Dat({E4})}, {"empty2.dat", Dat({})},
      {"empty2.txt", ""}}},
    {"TheAnswerToAPromptMayEndTheInput", "force\ne2e4\nsave\ng", PROMPT + SAVED + fe::QUIT, {}, {{"g.dat", Dat({E4})}}},
    {"LongNamesAreCutTo250Characters", "save\n" + std::string(300, 'n') + "\n", PROMPT + SAVED + fe::QUIT, {},
     {{std::string(250, 'n') + ".dat", Dat({})}}},
    {"PromptAnswersAreLoggedAndAHandedOverMoveIsSaved", HANDED_OVER,
     PROMPT + SAVED + PROMPT + "Please enter your file name File not found. Try again later!\n" + fe::QUIT, {},
     {{"log.txt", HANDED_OVER}, {"g1.dat", Dat({E4})}}},
};

// Start-up: the banner, then what option.txt makes of the table sizes and the
// strength, and the option values the xboard features show. Each row is an
// option.txt and everything the engine writes for "protover 2" after it.
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

const fe::Transcript STARTUP[] = {
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

// Shared by every transcript table. Past the patterns, the info line before a
// bestmove must give the move played as the first of its line.
TEST_P(Transcripts, Replies) {
  const fe::Transcript& c = GetParam();
  vtest::TempDir dir;
  fe::Put(dir, c.Before);
  const std::string replies = fe::Talk(c.Input, dir, c.Expected, c.Whole);
  EXPECT_TRUE(fe::Matches(c.Expected, replies)) << "expected:\n" << c.Expected << "got:\n" << replies;
  for (const auto& [name, bytes] : c.After) EXPECT_EQ(dir.Read(name), bytes) << name;
  const std::vector<std::string> lines = fe::Lines(replies);
  for (size_t i = 1; i < lines.size(); i++) {
    if (!fe::StartsWith(lines[i], "bestmove ") || fe::StartsWith(lines[i], "bestmove 0000")) continue;
    const std::string move = lines[i].substr(9, lines[i].find(' ', 9) - 9);
    EXPECT_NE(lines[i - 1].find(" pv " + move + " "), std::string::npos) << lines[i];
  }
}

INSTANTIATE_TEST_SUITE_P(Xboard, Transcripts, testing::ValuesIn(CASES), fe::ByName());
INSTANTIATE_TEST_SUITE_P(Startup, Transcripts, testing::ValuesIn(STARTUP), fe::ByName());
