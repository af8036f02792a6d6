#!/usr/bin/env python3
"""Checks the balance tool against the headless game on tiny stages.

    balance_test.py GAME STAGE_COMPILER BATTLE_OUTCOME
"""

import importlib.util
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
TOOL = os.path.join(HERE, "balance.py")
module_spec = importlib.util.spec_from_file_location("balance", TOOL)
balance = importlib.util.module_from_spec(module_spec)
module_spec.loader.exec_module(balance)

GAME = STAGE_COMPILER = OUTCOME = None

# Every side keeps a headquarters far away; a tank and a dark circle face
# each other in the middle, close enough to fight at once.
SKIRMISH = """
本部  1  -400  -400  0  0  0  0
本部  2   400   400  0  0  0  0
本部  3   400  -400  0  0  0  0
本部  4  -400   400  0  0  0  0
戦車Ａ          1  0  -15  0  0  0  0
ダークサークル  2  0   15  8  0  0  0
"""

# Side 1 has no headquarters: an idle player on side 1 loses in frame 1.
NO_HEADQUARTERS = """
本部  2   400   400  0  0  0  0
本部  3   400  -400  0  0  0  0
"""


# Side 2 alone holds a headquarters: decided before any fighting.
ONE_LEFT = """
本部  2   400   400  0  0  0  0
戦車Ａ  1  0  0  0  0  0  0
"""


class BalanceTool(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(prefix="balance-test-")
        self.addCleanup(self.dir.cleanup)

    def data_with_stage(self, text):
        source = os.path.join(self.dir.name, "stage.txt")
        with open(source, "w", encoding="utf-8") as f:
            f.write(text)
        subprocess.run([STAGE_COMPILER, "compile", source, os.path.join(self.dir.name, "map1.aod")],
                       check=True)
        return self.dir.name

    def run_tool(self, *args):
        result = subprocess.run([sys.executable, TOOL, "--game", GAME, *args],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout

    def test_first_fight_is_the_frame_the_first_placed_unit_is_hurt(self):
        data = self.data_with_stage(SKIRMISH)
        game = balance.Game(GAME, data, 1, 0)
        for seed in (1, 2):
            fight = balance.first_fight(game, seed, 600, self.dir.name)
            self.assertIsNotNone(fight, f"seed {seed}: no damage in 600 frames")
            placed = game.units_after(seed, 1, self.dir.name)
            before = game.units_after(seed, fight - 1, self.dir.name)
            after = game.units_after(seed, fight, self.dir.name)
            self.assertFalse(balance.any_placed_unit_hurt(placed, before), f"seed {seed}")
            self.assertTrue(balance.any_placed_unit_hurt(placed, after), f"seed {seed}")

    def test_distribution_counts_decisions_and_fights(self):
        lost = self.run_tool("--data", self.data_with_stage(NO_HEADQUARTERS), "--stage", "1",
                             "--seeds", "2", "--frames", "300", "--step", "100", "--jobs", "2")
        self.assertIn("| GAME OVER | 2 |", lost)
        self.assertIn("| 100 | 2 | 100.0 % |", lost)
        self.assertIn('Earliest: "GAME OVER" at frame 1 (seed 100).', lost)
        self.assertIn("No fighting by frame 300 in any run.", lost)

        fought = self.run_tool("--data", self.data_with_stage(SKIRMISH), "--stage", "1",
                               "--seeds", "2", "--frames", "600", "--jobs", "2")
        self.assertIn("| undecided at 600 | 2 |", fought)
        self.assertIn("side 1 in 2, side 2 in 2, side 3 in 2, side 4 in 2 of 2 runs", fought)
        self.assertRegex(fought, r"\n\| \d+ \| \d+ \| \d+ \| \d+ \| \d+ \| 0 \|\n")

    def test_battle_outcome_names_the_frame_and_the_winner(self):
        def outcome(stage, frames):
            return subprocess.run(
                [OUTCOME, "--data", self.data_with_stage(stage), "--start", "--seed", "3",
                 "--frames", str(frames)],
                check=True, stdout=subprocess.PIPE, text=True).stdout
        self.assertEqual(outcome(ONE_LEFT, 50), "decided 1 2\n")
        self.assertEqual(outcome(SKIRMISH, 50), "undecided 50\n")
        fairness = self.run_tool("--random", "--seeds", "2", "--frames", "200", "--outcome",
                                 OUTCOME)
        self.assertIn("seeds 100..101, 200 frames each", fairness)
        self.assertIn("| 1 | 0 | 0.0 % |", fairness)
        self.assertIn("Decided: 0 of 2; undecided at frame 200: 2.", fairness)

    def test_per_side_tables_follow_the_units(self):
        tables = self.run_tool("--data", self.data_with_stage(NO_HEADQUARTERS), "--stage", "1",
                               "--per-side", "7", "--frames", "200", "--step", "100")
        self.assertIn("| 1 | 0 | 1 | 1 | 0 |", tables)
        self.assertIn("| 200 | 0 | 1 | 1 | 0 |", tables)
        self.assertIn("Headquarters: side 1: gone by 1, side 2: holds, side 3: holds, "
                      "side 4: gone by 1.", tables)
        self.assertIn("Outcome: GAME OVER at 1", tables)


if __name__ == "__main__":
    GAME, STAGE_COMPILER, OUTCOME = sys.argv[1], sys.argv[2], sys.argv[3]
    unittest.main(argv=sys.argv[:1])
