#!/bin/sh
# Soak: many fast games of the engine against a Debian engine in a real GUI
# (xboard's match mode under Xvfb), then a count of crashes, illegal moves,
# time forfeits and the score, read from the saved PGN.
#
#   bench/soak.sh                      200 games against Fairy-Max, xboard mode
#   GAMES=50 MODE=uci bench/soak.sh    through polyglot, in UCI mode
#   OPPONENT="/usr/games/phalanx -l-" TC=0:10 INC=0.1 PARALLEL=2 bench/soak.sh
#
# Needs the packages xboard, xvfb, xauth, fairymax (polyglot for MODE=uci),
# python3, and a built engine (make build). Not part of make test.
set -u
cd "$(dirname "$0")/.."
GAMES=${GAMES:-200}
MODE=${MODE:-xboard}
OPPONENT=${OPPONENT:-/usr/games/fairymax}
TC=${TC:-0:05}
INC=${INC:-0.1}
PARALLEL=${PARALLEL:-1}
ENGINE=${ENGINE:-$(pwd)/build/vessik}
OUT=${OUT:-$(mktemp -d /tmp/vessik-soak-XXXXXX)}

[ -x "$ENGINE" ] || { echo "no engine at $ENGINE (make build)"; exit 2; }
uci=""
[ "$MODE" = uci ] && uci="-fUCI"

# Each xboard instance plays its share in a folder of its own; colours alternate.
share=$(( (GAMES + PARALLEL - 1) / PARALLEL ))
left=$GAMES
i=0
while [ "$left" -gt 0 ]; do
  n=$share; [ "$n" -gt "$left" ] && n=$left
  dir="$OUT/run$i"; mkdir -p "$dir"
  ( cd "$dir" && PATH="$PATH:/usr/games" timeout $((n * 120 + 60)) xvfb-run -a /usr/games/xboard \
      -fcp "$ENGINE" -fd "$dir" $uci -scp "$OPPONENT" -sd "$dir" -matchGames "$n" -tc "$TC" -inc "$INC" \
      -saveGameFile "$dir/games.pgn" -autoCallFlag true -popupExitMessage false -noGUI \
      -saveSettingsOnExit false > "$dir/xboard.out" 2>&1; echo "$?" > "$dir/status" ) &
  left=$((left - n)); i=$((i + 1))
done
wait

python3 - "$OUT" "$GAMES" <<'PY'
import glob, re, sys
out, wanted = sys.argv[1], int(sys.argv[2])
games = []
for f in sorted(glob.glob(out + "/run*/games.pgn")):
    text = open(f, encoding="latin-1").read()
    games += [g for g in re.split(r"(?=\[Event )", text) if g.startswith("[Event ")]
score = {"win": 0, "draw": 0, "loss": 0}
count = {"crash": 0, "illegal": 0, "forfeit": 0, "other": 0}
for g in games:
    white = re.search(r'\[White "([^"]*)"', g).group(1)
    result = re.search(r'\[Result "([^"]*)"', g).group(1)
    ending = re.findall(r"\{([^}]*)\}", g)
    ending = ending[-1] if ending else ""
    ours_white = "essik" in white.lower() or "essik" in white
    if result == "1/2-1/2": score["draw"] += 1
    elif (result == "1-0") == ours_white and result in ("1-0", "0-1"): score["win"] += 1
    elif result in ("1-0", "0-1"): score["loss"] += 1
    e = ending.lower()
    if "illegal" in e: count["illegal"] += 1; print("illegal:", ending)
    elif "forfeit" in e or "time" in e: count["forfeit"] += 1; print("forfeit:", ending)
    elif "exit" in e or "disconnect" in e or "crash" in e or "stopped" in e or result == "*": count["crash"] += 1; print("crash:", ending)
    elif not re.search(r"mate|resign|draw|stalemate|repetition|50|fifty|material", e): count["other"] += 1; print("other ending:", ending)
statuses = [open(f).read().strip() for f in glob.glob(out + "/run*/status")]
n = len(games)
points = score["win"] + score["draw"] / 2
print(f"games {n} of {wanted}; xboard exit statuses {statuses}")
print(f"crashes {count['crash']}, illegal moves {count['illegal']}, time forfeits {count['forfeit']}, other endings {count['other']}")
print(f"engine: +{score['win']} ={score['draw']} -{score['loss']}, {points}/{n} ({100 * points / max(n, 1):.1f}%)")
print(f"games and logs in {out}")
sys.exit(0 if n == wanted and sum(count.values()) == 0 else 1)
PY
