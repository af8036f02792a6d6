#pragma once
// Constant tables of unit types, projectile types, unit kinds and build lists.

#include <array>
#include <cstdint>

namespace quarvex {

constexpr int kUnitTypeCount = 55;
constexpr int kProjectileTypeCount = 20;
constexpr int kUnitKindCount = 40;
constexpr int kBuildListCount = 4;
constexpr int kBuildListLength = 12;
constexpr int kOrderItems = 6;

struct UnitType {
  int8_t fwd_speed;
  int8_t back_speed;
  int8_t cruise_speed;
  int8_t turn_rate;
  int8_t max_health;
  int8_t weapon;  // projectile type, -1 = unarmed
  int8_t recharge;
  int8_t texture;
  int8_t cell;
  int8_t size;
};

struct ProjectileType {
  int8_t damage;
  int8_t speed;
  int8_t fire_interval;
  int8_t life;  // -1 = drawn at the first update
  int8_t charge_cost;
  int8_t texture;
  int8_t cell;
  int8_t size;
};

struct UnitKind {
  int16_t main_type;
  int16_t child_type;  // -1 = none
  int16_t air;
  int16_t cost;
};

extern const std::array<UnitType, kUnitTypeCount> kUnitTypes;
extern const std::array<ProjectileType, kProjectileTypeCount> kProjectileTypes;
extern const std::array<UnitKind, kUnitKindCount> kUnitKinds;
extern const std::array<const char*, kUnitKindCount> kind_names;  // UTF-8
extern const std::array<std::array<int8_t, kBuildListLength>, kBuildListCount> build_lists;
extern const std::array<int8_t, kOrderItems> order_icon_cells;

// Lookups that never read outside a table: an index outside it (a free
// slot's type -1, a corrupt value) reads an all-zero row, i.e. a body that
// does not move, has no weapon and no size.
const UnitType& unit_type(int type);
const ProjectileType& projectile_type(int kind);
// Returns nullptr for a kind outside 0..39.
const UnitKind* unit_kind(int kind);
// Kind in slot `item` of build list `list`; -1 when either is out of range.
int build_list_kind(int list, int item);

// Named unit types the rules single out.
constexpr int8_t kTypeRotor = 1;
constexpr int8_t kTypeHeadquarters = 47;
constexpr int8_t kTypeResidence = 48;
constexpr int8_t kTypeFactory = 49;
constexpr int8_t kWeaponHoming = 5;

}  // namespace quarvex
