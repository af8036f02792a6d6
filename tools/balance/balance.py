#!/usr/bin/env python3
"""Measures how a stage plays with the player idle.

Runs the headless game for 2,000, 4,000, ... frames (the run is deterministic,
so the state after N frames of a longer run is the dump of an N-frame run),
and prints per side the top-level units alive at each step and the step at
which the side's last headquarters was gone.

    tools/balance/balance.py --game build/quarvex --stage 1 --seeds 1 2 3
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile

HEADQUARTERS_TYPE = 47


def side_counts(dump):
    alive = [0, 0, 0, 0]
    headquarters = [0, 0, 0, 0]
    for unit in dump["units"]:
        side = unit.get("side", 0)
        if unit["index"] == 0 or unit["type"] == -1 or unit["parent"] != 0 or not 1 <= side <= 4:
            continue
        alive[side - 1] += 1
        if unit["type"] == HEADQUARTERS_TYPE:
            headquarters[side - 1] += 1
    return alive, headquarters


def run(game, stage, seed, frames, workdir, messages=None):
    path = os.path.join(workdir, f"s{stage}-{seed}-{frames}.json")
    result = subprocess.run([game, "--headless", "--start", "--stage", str(stage), "--seed",
                             str(seed), "--frames", str(frames), "--dump", path],
                            check=True, stdout=subprocess.PIPE, text=True)
    if messages is not None:
        messages.extend(line for line in result.stdout.splitlines()
                        if "GAME OVER" in line or "COMPLETE" in line)
    with open(path, encoding="utf-8") as f:
        return json.load(f)


def first_contact(game, stage, seed, workdir, step=100, last=2000):
    """First sampled frame at which a unit placed by the stage is hurt or gone."""
    start = {u["index"]: u for u in run(game, stage, seed, 1, workdir)["units"] if u["index"] != 0}
    for frames in range(step, last + 1, step):
        now = {u["index"]: u for u in run(game, stage, seed, frames, workdir)["units"]}
        for index, unit in start.items():
            later = now.get(index)
            if (later is None or later["type"] != unit["type"] or later["side"] != unit["side"]
                    or later["health"] < unit["health"]):
                return frames
    return None


def measure(game, stage, seed, step, last):
    rows = []
    fell = [None] * 4
    messages = []
    with tempfile.TemporaryDirectory() as workdir:
        contact = first_contact(game, stage, seed, workdir)
        samples = [1] + list(range(step, last + 1, step))
        for frames in samples:
            log = messages if frames == samples[-1] else None
            alive, headquarters = side_counts(run(game, stage, seed, frames, workdir, log))
            for side in range(4):
                if headquarters[side] == 0 and fell[side] is None:
                    fell[side] = frames
            rows.append((frames, alive))
    return rows, fell, contact, messages


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--game", default="build/quarvex")
    parser.add_argument("--stage", type=int, required=True)
    parser.add_argument("--seeds", type=int, nargs="+", default=[1, 2, 3])
    parser.add_argument("--step", type=int, default=2000)
    parser.add_argument("--frames", type=int, default=30000)
    args = parser.parse_args()
    for seed in args.seeds:
        rows, fell, contact, messages = measure(args.game, args.stage, seed, args.step,
                                                args.frames)
        print(f"\nStage {args.stage}, seed {seed}: top-level units alive per side\n")
        print("| frame | side 1 | side 2 | side 3 | side 4 |")
        print("|---|---|---|---|---|")
        for frames, alive in rows:
            print(f"| {frames} | " + " | ".join(str(a) for a in alive) + " |")
        verdict = ", ".join(
            f"side {s + 1}: {'holds' if f is None else 'gone by ' + str(f)}" for s, f in enumerate(fell))
        print(f"\nFirst unit hurt by frame: {contact}. Headquarters: {verdict}.")
        print("Outcome: " + ("; ".join(messages) if messages else "undecided"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
