#include "world/random_stage.h"

#include <algorithm>
#include <array>
#include <vector>

namespace quarvex {

namespace {

// Unit kinds (the table's rows) the generator places.
constexpr int8_t kHeadquarters = 32;
constexpr int8_t kHousing = 33;
constexpr int8_t kFactory = 34;
constexpr int8_t kAntiAircraftGun = 8;
constexpr int8_t kAntiAircraftMissile = 7;
constexpr int8_t kGuardInfantry = 23;
constexpr int8_t kMachineGun = 6;

constexpr uint8_t kModeStand = 0;
constexpr uint8_t kModeRoam = 1;
constexpr uint8_t kModeGoTo = 2;

// The generator's own sequence (a 64-bit linear congruential generator,
// upper bits), independent of the World's generator and of the C library.
class Draws {
 public:
  explicit Draws(uint32_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
    next();
  }
  uint32_t next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state_ >> 33);
  }
  // lowest..highest, both included.
  int between(int lowest, int highest) {
    return lowest + static_cast<int>(next() % static_cast<uint32_t>(highest - lowest + 1));
  }

 private:
  uint64_t state_;
};

// cos(k * 22.5 degrees) * 1000, rounded: the 16 headings of a stage file.
constexpr std::array<int, 16> kCos1000 = {1000,  924,  707,  383,  0, -383, -707, -924,
                                          -1000, -924, -707, -383, 0, 383,  707,  924};
int cos1000(int step) {
  return kCos1000[static_cast<size_t>(step & 15)];
}
int sin1000(int step) {
  return cos1000(step - 4);
}

// The heading step (0..15) that faces most nearly along (dx, dy). Heading 0
// faces +y and a step turns 22.5 degrees to the left, so step k faces
// (-sin, cos).
int heading_towards(int dx, int dy) {
  int best = 0;
  int64_t best_dot = INT64_MIN;
  for (int step = 0; step < 16; ++step) {
    const int64_t dot = int64_t{-dx} * sin1000(step) + int64_t{dy} * cos1000(step);
    if (dot > best_dot) {
      best_dot = dot;
      best = step;
    }
  }
  return best;
}

// A unit of side 1, which the other sides get turned by quarter turns.
struct Template {
  int8_t kind;
  int x;
  int y;
  int heading;  // steps
  uint8_t mode;
  int goal_x;
  int goal_y;
};

// Side 1's base: where it is and which way it faces (towards the centre),
// and positions given as (forward, right) offsets from its centre.
class Base {
 public:
  Base(int x, int y) : x_(x), y_(y), facing_(heading_towards(-x, -y)) {}
  int facing() const { return facing_; }
  int x_at(int forward, int right) const {
    return x_ + (forward * -sin1000(facing_) + right * cos1000(facing_)) / 1000;
  }
  int y_at(int forward, int right) const {
    return y_ + (forward * cos1000(facing_) + right * sin1000(facing_)) / 1000;
  }
  Template unit(int8_t kind, int forward, int right, uint8_t mode = kModeStand) const {
    return Template{kind, x_at(forward, right), y_at(forward, right), facing_, mode, 0, 0};
  }

 private:
  int x_;
  int y_;
  int facing_;
};

// Kinds an army is made of, with the price the build lists ask (the table's
// cost), so every seed's armies weigh about the same.
struct ArmyKind {
  int8_t kind;
  int cost;
  int most;  // largest squad
};
constexpr std::array<ArmyKind, 16> kArmyKinds = {{
    {2, 30, 3},   // tank A
    {3, 35, 3},   // tank B
    {4, 40, 2},   // tank C
    {5, 60, 1},   // heavy tank
    {9, 32, 2},   // assault gun
    {10, 20, 3},  // armoured car
    {11, 12, 3},  // jeep
    {13, 20, 2},  // mortar
    {20, 30, 1},  // cannon
    {21, 40, 1},  // rocket artillery
    {0, 40, 2},   // helicopter A
    {1, 45, 1},   // helicopter B
    {22, 4, 5},   // infantry
    {25, 5, 4},   // bazooka soldier
    {28, 4, 4},   // grenadier
    {35, 4, 2},   // sniper
}};

// What each side gets besides the turned copy of side 1's base: the sides
// build from different lists (cheap soldiers, costly aircraft), so the same
// base is not the same strength for all four. Found by measuring many
// battles with the computer on every side (docs/balance.md).
struct SideShare {
  int extra_housing;   // more (or less) income
  int army_percent;    // of side 1's army budget
  int extra_guns;      // more guns around the headquarters
  bool all_factories;  // three factories, whatever side 1 has
};
constexpr std::array<SideShare, kSides> kSideShares = {{
    {0, 75, 0, false},   // builds aircraft and tanks: the strongest list
    {1, 110, 3, false},  // builds costly aircraft only: needs the income
    {0, 140, 4, true},   // builds soldiers and light vehicles
    {1, 20, 0, false},   // builds soldiers and light vehicles
}};

struct Squad {
  std::vector<Template> units;
  int cost;
};

// Squads in the order they are drawn; each side takes them in this order
// while its share of the budget lasts.
std::vector<Squad> draw_army(const Base& base, Draws& draws, int budget) {
  std::vector<Squad> army;
  int spent = 0;
  for (int attempt = 0; spent < budget && attempt < 10; ++attempt) {
    const ArmyKind& k =
        kArmyKinds[static_cast<size_t>(draws.between(0, static_cast<int>(kArmyKinds.size()) - 1))];
    const int count = draws.between(1, k.most);
    if (spent + k.cost * count > budget + 20) continue;
    const int forward = draws.between(60, 130);
    const int right = draws.between(-80, 80);
    // Most squads hold or roam near home; a few go to a point on the way
    // to the centre, so the first clashes come from the armies, not from a
    // rush on a headquarters.
    const int order = draws.between(0, 9);
    const uint8_t mode = order < 4 ? kModeStand : order < 8 ? kModeRoam : kModeGoTo;
    const int goal_forward = draws.between(150, 260);
    Squad squad{{}, k.cost * count};
    for (int n = 0; n < count; ++n) {
      Template t = base.unit(k.kind, forward, right + (n - count / 2) * 9, mode);
      if (mode == kModeGoTo) {
        t.goal_x = base.x_at(goal_forward, right);
        t.goal_y = base.y_at(goal_forward, right);
      }
      squad.units.push_back(t);
    }
    spent += squad.cost;
    army.push_back(std::move(squad));
  }
  return army;
}

// The units of every side, in side 1's frame: the same base for all, then
// each side's extra housing and its share of the army.
std::array<std::vector<Template>, kSides> sides_in_side_one_frame(Draws& draws) {
  // The base sits near the south-west corner, so that every other base is a
  // long march away and no battle is over in its first minutes.
  // One draw per statement: the order a call's arguments are worked out in is
  // the compiler's choice (g++ and clang differ), and a seed must give one stage.
  const int y = -draws.between(290, 410);
  const int x = -draws.between(330, 410);
  const Base base(x, y);
  std::vector<Template> common;
  common.push_back(base.unit(kHeadquarters, 0, 0));
  const int factories = draws.between(2, 3);
  common.push_back(base.unit(kFactory, 30, -32));
  common.push_back(base.unit(kFactory, 30, 32));

  const int housing = draws.between(2, 4);
  // Anti-aircraft at the front corners, guards at the back.
  const int8_t air_defence = draws.between(0, 1) == 0 ? kAntiAircraftGun : kAntiAircraftMissile;
  common.push_back(base.unit(air_defence, 60, -50));
  common.push_back(base.unit(air_defence, 60, 50));
  // Guns before the headquarters hold off the first raids.
  common.push_back(base.unit(kMachineGun, 36, -14));
  common.push_back(base.unit(kMachineGun, 36, 14));
  const int guards = draws.between(3, 5);
  for (int g = 0; g < guards; ++g) common.push_back(base.unit(kGuardInfantry, -62, -24 + 12 * g));
  const int budget = draws.between(380, 520);
  const std::vector<Squad> army = draw_army(base, draws, budget);

  std::array<std::vector<Template>, kSides> sides;
  for (int k = 0; k < kSides; ++k) {
    std::vector<Template>& units = sides[static_cast<size_t>(k)];
    const SideShare& share = kSideShares[static_cast<size_t>(k)];
    units = common;
    if (factories == 3 || share.all_factories) units.push_back(base.unit(kFactory, 0, 40));
    // Housing behind the headquarters, four to a row; a side's share may
    // take from it (but leaves one).
    const int side_housing = std::max(1, housing + share.extra_housing);
    for (int h = 0; h < side_housing; ++h) {
      units.push_back(base.unit(kHousing, -34 - 30 * (h / 4), -45 + 30 * (h % 4)));
    }
    // Further guns on a ring about the headquarters, the sides first.
    for (int g = 0; g < share.extra_guns; ++g) {
      constexpr int kRing[][2] = {{8, -44}, {8, 62}, {-8, -68}, {-8, 72}, {44, -72}, {44, 76}};
      const auto& spot = kRing[g % 6];
      units.push_back(base.unit(kMachineGun, spot[0], spot[1]));
    }
    const int side_budget = budget * share.army_percent / 100;
    int spent = 0;
    for (const Squad& squad : army) {
      if (spent + squad.cost > side_budget) break;
      spent += squad.cost;
      units.insert(units.end(), squad.units.begin(), squad.units.end());
    }
  }
  return sides;
}

int16_t clamp_position(int v) {
  constexpr int kEdge = 480;  // inside the playing area, clear of its edge
  return static_cast<int16_t>(v < -kEdge ? -kEdge : v > kEdge ? kEdge : v);
}

// Side 1's unit turned by `quarters` quarter turns to the left about the
// centre: (x, y) -> (-y, x) each, four heading steps each.
StageRecord turned(const Template& t, int quarters) {
  int x = t.x;
  int y = t.y;
  int gx = t.goal_x;
  int gy = t.goal_y;
  for (int q = 0; q < quarters; ++q) {
    const int turned_x = -y;
    y = x;
    x = turned_x;
    const int turned_gx = -gy;
    gy = gx;
    gx = turned_gx;
  }
  StageRecord r{};
  r.x = clamp_position(x);
  r.y = clamp_position(y);
  r.heading_steps = static_cast<int16_t>((t.heading + 4 * quarters) & 15);
  r.kind = t.kind;
  r.side = static_cast<int8_t>(quarters + 1);
  r.mode = t.mode;
  r.goal_x = t.mode == kModeGoTo ? clamp_position(gx) : int16_t{0};
  r.goal_y = t.mode == kModeGoTo ? clamp_position(gy) : int16_t{0};
  return r;
}

}  // namespace

StageSource random_stage(uint32_t seed) {
  Draws draws(seed);
  const std::array<std::vector<Template>, kSides> sides = sides_in_side_one_frame(draws);
  size_t longest = 0;
  for (const std::vector<Template>& units : sides) longest = std::max(longest, units.size());
  StageSource stage;
  // Unit by unit for all four sides in turn, the first side moving on by one
  // each time: units placed earlier take lower slots, and a lower slot acts
  // first in a frame.
  for (size_t u = 0; u < longest; ++u) {
    for (int k = 0; k < kSides; ++k) {
      const int side_index = static_cast<int>((u + static_cast<size_t>(k)) % kSides);
      const std::vector<Template>& units = sides[static_cast<size_t>(side_index)];
      if (u < units.size()) stage.records.push_back(turned(units[u], side_index));
    }
  }
  return stage;
}

}  // namespace quarvex
