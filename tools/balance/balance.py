#!/usr/bin/env python3
"""Measures how a stage plays with the player idle.

The headless game is deterministic: a run of N frames is the first N frames of
any longer run with the same stage, side and seed, so the World after N frames
is the dump of an N-frame run. Runs are spread over --jobs processes.

Distribution over many seeds (the default): for every seed one run of --frames
frames gives the frame at which the stage was decided (the first "GAME OVER" or
"COMPLETE" message line) and which sides still hold a headquarters at the end;
a bisection over dumps gives the frame at which the fighting started (the first
frame after which a unit placed by the stage is damaged or gone).

    tools/balance/balance.py --stage 1 --seeds 200 --jobs 2

Per-side tables (--per-side SEED...): the top-level units alive per side every
--step frames, and when each side's headquarters fell, for a few seeds.

    tools/balance/balance.py --stage 1 --per-side 1 2 3

Random battles (--random): seed S plays the random battle of seed S (with the
stage load seeded with S too) on the ground of --stage, with the computer on
every side (--spectate). A game is decided in the first frame after which at
most one side holds a headquarters; that side is the winner, and none when
the last two fell together. No headquarters is ever built, so that frame is
final; quarvex-battle-outcome (--outcome) plays each game once, headless as
the game does, and names it. The fairness table counts the wins of each side.

    tools/balance/balance.py --random --seeds 200 --frames 60000 --jobs 2
"""

import argparse
import concurrent.futures
import json
import os
import re
import subprocess
import sys
import tempfile

HEADQUARTERS_TYPE = 47
OUTCOMES = ("GAME OVER", "COMPLETE")
MESSAGE_LINE = re.compile(r"^(\d+): message: (.*)$")


class Game:
    """The headless game for one stage, side and data folder."""

    def __init__(self, program, data, stage, side, random=False):
        self.program = program
        self.data = data
        self.stage = stage
        self.side = side
        self.random = random

    def run(self, seed, frames, dump=None):
        """Runs the stage and returns its message lines as (frame, text)."""
        command = [self.program, "--headless", "--start", "--stage", str(self.stage), "--side",
                   str(self.side), "--seed", str(seed), "--frames", str(frames)]
        if self.random:
            command += ["--random-stage", str(seed), "--spectate"]
        if self.data:
            command += ["--data", self.data]
        if dump:
            command += ["--dump", dump]
        result = subprocess.run(command, check=True, stdout=subprocess.PIPE, text=True)
        messages = []
        for line in result.stdout.splitlines():
            match = MESSAGE_LINE.match(line)
            if match:
                messages.append((int(match.group(1)), match.group(2)))
        return messages

    def units_after(self, seed, frames, workdir):
        """The live unit slots after `frames` frames, by index."""
        path = os.path.join(workdir, f"{seed}-{frames}.json")
        self.run(seed, frames, path)
        with open(path, encoding="utf-8") as f:
            dump = json.load(f)
        os.remove(path)
        return {u["index"]: u for u in dump["units"] if u["index"] != 0}


def is_top_level(unit):
    return unit["type"] != -1 and unit["parent"] == 0 and 1 <= unit.get("side", 0) <= 4


def headquarters_held(units):
    held = [False] * 4
    for unit in units.values():
        if is_top_level(unit) and unit["type"] == HEADQUARTERS_TYPE:
            held[unit["side"] - 1] = True
    return held


def alive_per_side(units):
    alive = [0, 0, 0, 0]
    for unit in units.values():
        if is_top_level(unit):
            alive[unit["side"] - 1] += 1
    return alive


def any_placed_unit_hurt(placed, now):
    for index, unit in placed.items():
        later = now.get(index)
        if (later is None or later["type"] != unit["type"] or later["side"] != unit["side"]
                or later["health"] < unit["health"]):
            return True
    return False


def first_fight(game, seed, limit, workdir):
    """First frame after which a unit the stage placed is damaged or gone, or None.

    Health only falls and a placed unit leaves its slot only when destroyed, so
    the test is false up to that frame and true from it on (a destroyed unit's
    slot taken again by a fresh unit of the same type and side is the one
    exception, and any other hurt unit still keeps the test true). The World
    after frame 1 is the reference (the placements, and any unit built in that
    frame): nothing is in range of a shot before then.
    """
    placed = game.units_after(seed, 1, workdir)
    if not any_placed_unit_hurt(placed, game.units_after(seed, limit, workdir)):
        return None
    calm, hurt = 1, limit
    while hurt - calm > 1:
        middle = (calm + hurt) // 2
        if any_placed_unit_hurt(placed, game.units_after(seed, middle, workdir)):
            hurt = middle
        else:
            calm = middle
    return hurt


def measure_seed(game, seed, frames, fight_limit):
    with tempfile.TemporaryDirectory(prefix="balance-") as workdir:
        path = os.path.join(workdir, "end.json")
        messages = game.run(seed, frames, path)
        with open(path, encoding="utf-8") as f:
            end = {u["index"]: u for u in json.load(f)["units"] if u["index"] != 0}
        fight = first_fight(game, seed, min(fight_limit, frames), workdir)
    decided = next(((frame, text) for frame, text in messages if text in OUTCOMES), None)
    return {"seed": seed, "decided": decided, "fight": fight, "held": headquarters_held(end)}


def measure_random_battle(game, outcome_program, seed, frames):
    """When a random battle is decided (None when not within `frames`) and who won."""
    command = [outcome_program, "--start", "--stage", str(game.stage), "--side", str(game.side),
               "--seed", str(seed), "--frames", str(frames), "--random-stage", str(seed),
               "--spectate"]
    if game.data:
        command += ["--data", game.data]
    words = subprocess.run(command, check=True, stdout=subprocess.PIPE, text=True).stdout.split()
    if words[0] != "decided":
        return {"seed": seed, "decided": None, "winner": None}
    winner = int(words[2])
    return {"seed": seed, "decided": int(words[1]), "winner": winner - 1 if winner else None}


def print_fairness(args, results):
    count = len(results)
    last = args.first_seed + count - 1
    decided = [r for r in results if r["decided"] is not None]
    print(f"Random battles on ground {args.stage}, the computer on every side, "
          f"seeds {args.first_seed}..{last}, {args.frames} frames each.\n")
    print("| side | wins | share of the decided games |")
    print("|---|---|---|")
    for side in range(4):
        wins = sum(1 for r in decided if r["winner"] == side)
        share = 100 * wins / len(decided) if decided else 0
        print(f"| {side + 1} | {wins} | {share:.1f} % |")
    draws = sum(1 for r in decided if r["winner"] is None)
    print(f"| none (the last two fell together) | {draws} | "
          f"{100 * draws / len(decided) if decided else 0:.1f} % |")
    print(f"\nDecided: {len(decided)} of {count}; undecided at frame {args.frames}: "
          f"{count - len(decided)}.")
    if decided:
        frames = sorted(r["decided"] for r in decided)
        earliest = min(decided, key=lambda r: r["decided"])
        print(f"Decided at frame: earliest {frames[0]} (seed {earliest['seed']}), "
              f"10 %: {percentile(frames, 10)}, median {percentile(frames, 50)}, "
              f"90 %: {percentile(frames, 90)}, latest {frames[-1]}.")


def percentile(sorted_values, share):
    """The value below which `share` of the values lie (nearest rank)."""
    rank = max(1, -(-len(sorted_values) * share // 100))
    return sorted_values[int(rank) - 1]


def print_distribution(args, results):
    count = len(results)
    last = args.first_seed + count - 1
    print(f"Stage {args.stage}, player idle on side {args.side + 1} (--side {args.side}), "
          f"seeds {args.first_seed}..{last}, {args.frames} frames each.\n")

    decided = sorted(r["decided"][0] for r in results if r["decided"])
    print("### When the stage is decided\n")
    print("| decided by frame | runs | share |")
    print("|---|---|---|")
    for limit in range(args.step, args.frames + 1, args.step):
        runs = sum(1 for frame in decided if frame <= limit)
        print(f"| {limit} | {runs} | {100 * runs / count:.1f} % |")
    print(f"| not by {args.frames} | {count - len(decided)} | "
          f"{100 * (count - len(decided)) / count:.1f} % |")
    if decided:
        earliest = min((r for r in results if r["decided"]), key=lambda r: r["decided"][0])
        frame, text = earliest["decided"]
        print(f"\nEarliest: \"{text}\" at frame {frame} (seed {earliest['seed']}).")
        # Runs not decided within --frames rank after every decided run.
        ranked = decided + [None] * (count - len(decided))
        shares = ", ".join(f"{p} %: {percentile(ranked, p) or 'not by ' + str(args.frames)}"
                           for p in (5, 10, 25, 50))
        print(f"Decided by frame, percentiles: {shares}.")

    print("\n### Outcome\n")
    print("| outcome | runs |")
    print("|---|---|")
    for outcome in OUTCOMES:
        runs = sum(1 for r in results if r["decided"] and r["decided"][1] == outcome)
        print(f"| {outcome} | {runs} |")
    print(f"| undecided at {args.frames} | {count - len(decided)} |")
    held = ", ".join(f"side {s + 1} in {sum(1 for r in results if r['held'][s])}" for s in range(4))
    print(f"\nHeadquarters still standing at frame {args.frames}: {held} of {count} runs.")

    fights = sorted(r["fight"] for r in results if r["fight"] is not None)
    limit = min(args.fight_limit, args.frames)
    print("\n### When the fighting starts\n")
    print("First frame after which a unit placed by the stage is damaged or gone.\n")
    if fights:
        print("| earliest | 10 % | median | 90 % | latest | runs without by frame "
              f"{limit} |")
        print("|---|---|---|---|---|---|")
        print(f"| {fights[0]} | {percentile(fights, 10)} | {percentile(fights, 50)} | "
              f"{percentile(fights, 90)} | {fights[-1]} | {count - len(fights)} |")
    else:
        print(f"No fighting by frame {limit} in any run.")


def per_side_tables(game, seed, step, frames):
    rows = []
    fell = [None] * 4
    with tempfile.TemporaryDirectory(prefix="balance-") as workdir:
        for sample in [1] + list(range(step, frames + 1, step)):
            units = game.units_after(seed, sample, workdir)
            held = headquarters_held(units)
            for side in range(4):
                if not held[side] and fell[side] is None:
                    fell[side] = sample
            rows.append((sample, alive_per_side(units)))
        messages = game.run(seed, frames)
    return seed, rows, fell, messages


def print_per_side(args, seed, rows, fell, messages):
    print(f"\n### Stage {args.stage}, seed {seed}: top-level units alive per side\n")
    print("| frame | side 1 | side 2 | side 3 | side 4 |")
    print("|---|---|---|---|---|")
    for sample, alive in rows:
        print(f"| {sample} | " + " | ".join(str(a) for a in alive) + " |")
    verdict = ", ".join(f"side {s + 1}: {'holds' if f is None else 'gone by ' + str(f)}"
                        for s, f in enumerate(fell))
    print(f"\nHeadquarters: {verdict}.")
    outcome = [f"{text} at {frame}" for frame, text in messages if text in OUTCOMES]
    print("Outcome: " + ("; ".join(outcome) if outcome else "undecided"))


def positive(text):
    value = int(text)
    if value < 1:
        raise argparse.ArgumentTypeError(f"{text} is not a positive whole number")
    return value


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--game", default="build/quarvex", help="the game program")
    parser.add_argument("--data", help="data folder (default: the game's own)")
    parser.add_argument("--stage", type=int, choices=(1, 2, 3),
                        help="the stage; with --random, the ground (default 1)")
    parser.add_argument("--random", action="store_true",
                        help="measure random battles: the fairness of the generator")
    parser.add_argument("--outcome", default="build/quarvex-battle-outcome",
                        help="the program that plays a battle and names its outcome")
    parser.add_argument("--side", type=int, default=0, choices=(0, 1, 2, 3),
                        help="the idle player's side index")
    parser.add_argument("--seeds", type=positive, default=200, help="how many seeds")
    parser.add_argument("--first-seed", type=int, default=100)
    parser.add_argument("--frames", type=positive, default=20000, help="frames per run")
    parser.add_argument("--fight-limit", type=positive, default=4000,
                        help="how far to look for the first damage")
    parser.add_argument("--jobs", type=positive, default=os.cpu_count() or 1)
    parser.add_argument("--per-side", type=int, nargs="+", metavar="SEED",
                        help="print per-side unit tables for these seeds instead")
    parser.add_argument("--step", type=positive, default=2000,
                        help="frames between the rows of the tables")
    args = parser.parse_args()
    if not os.access(args.game, os.X_OK):
        parser.error(f"no game program at {args.game} (build it, or give --game)")
    if args.stage is None:
        if not args.random:
            parser.error("--stage is needed (or --random)")
        args.stage = 1

    game = Game(args.game, args.data, args.stage, args.side, args.random)
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
        try:
            if args.per_side:
                for table in pool.map(lambda s: per_side_tables(game, s, args.step, args.frames),
                                      args.per_side):
                    print_per_side(args, *table)
                return 0
            seeds = range(args.first_seed, args.first_seed + args.seeds)
            if args.random:
                results = list(pool.map(
                    lambda s: measure_random_battle(game, args.outcome, s, args.frames), seeds))
                print_fairness(args, results)
                return 0
            results = list(pool.map(
                lambda s: measure_seed(game, s, args.frames, args.fight_limit), seeds))
        except subprocess.CalledProcessError as failure:
            print(f"balance.py: {' '.join(failure.cmd)} failed with status {failure.returncode}",
                  file=sys.stderr)
            return 1
    print_distribution(args, results)
    return 0


if __name__ == "__main__":
    sys.exit(main())
