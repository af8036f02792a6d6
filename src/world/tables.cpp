#include "world/tables.h"

namespace quarvex {

// One row a line, so the tables read like the catalogue they are.
// clang-format off
// Unit types: fwd_speed, back_speed, cruise_speed, turn_rate, max_health, weapon, recharge, texture, cell, size
const std::array<UnitType, kUnitTypeCount> kUnitTypes = {{
    {12, -8, 0, 25, 22, 4, 2, 1, 5, 40},  // 0 "ヘリＡ" (kind 0)
    {0, 0, 0, 0, 1, -1, 0, 1, 6, 40},  // 1 mounted on "ヘリＡ" (kind 0); mounted on "ヘリＢ" (kind 1)
    {7, -6, 0, 30, 50, -1, 0, 2, 0, 40},  // 2 "戦車Ａ" (kind 2)
    {0, 0, 0, 0, 1, 1, 3, 2, 1, 40},  // 3 mounted on "戦車Ａ" (kind 2)
    {6, -5, 0, 25, 40, -1, 0, 2, 2, 40},  // 4 "戦車Ｂ" (kind 3)
    {0, 0, 0, 0, 1, 1, 2, 2, 3, 40},  // 5 mounted on "戦車Ｂ" (kind 3)
    {16, -10, 0, 30, 40, 2, 4, 1, 7, 40},  // 6 "ニュースタンダード" (kind 29)
    {4, -4, 12, 20, 24, 0, 1, 1, 4, 40},  // 7 "偵察機" (kind 14)
    {8, -5, 0, 30, 38, -1, 0, 2, 4, 40},  // 8 "対空ミサイル" (kind 7); "対空機関砲" (kind 8)
    {0, 0, 0, 0, 1, 3, 1, 2, 5, 40},  // 9 mounted on "対空機関砲" (kind 8)
    {0, 0, 0, 0, 30, 0, 1, 2, 7, 40},  // 10 "装甲車" (kind 10)
    {5, -5, 14, 24, 26, 4, 2, 1, 0, 40},  // 11 "攻撃機" (kind 15)
    {0, 0, 0, 0, 1, 5, 1, 2, 6, 40},  // 12 mounted on "対空ミサイル" (kind 7)
    {0, 0, 0, 0, 1, 1, 2, 2, 9, 40},  // 13 mounted on "キャノン砲" (kind 20); mounted on "本部" (kind 32); mounted on "工場" (kind 34)
    {0, 0, 0, 0, 1, 4, 2, 2, 10, 40},  // 14 mounted on "ロケット砲" (kind 21)
    {0, 0, 0, 0, 20, -1, 0, 2, 8, 40},  // 15 created by nothing
    {5, -2, 0, 30, 3, 7, 1, 0, 6, 30},  // 16 "歩兵" (kind 22); also unloaded by type 19
    {0, 0, 0, 0, 30, -1, 0, 2, 12, 40},  // 17 "キャノン砲" (kind 20); "ロケット砲" (kind 21)
    {0, 0, 0, 25, 3, 7, 1, 0, 6, 30},  // 18 mounted on "ジープ" (kind 11); mounted on "兵員輸送トラック" (kind 12); "警備歩兵" (kind 23)
    {0, 0, 0, 0, 20, -1, 0, 2, 8, 40},  // 19 "兵員輸送トラック" (kind 12)
    {0, 0, 0, 0, 15, -1, 0, 2, 13, 40},  // 20 "ジープ" (kind 11)
    {6, -4, 0, 25, 30, -1, 0, 2, 11, 40},  // 21 created by nothing
    {10, -7, 0, 20, 18, 0, 2, 1, 8, 40},  // 22 "ヘリＢ" (kind 1)
    {14, -8, 0, 20, 24, 3, 2, 1, 3, 40},  // 23 "ＶＴＯＬ機" (kind 18)
    {6, -4, 15, 28, 30, 3, 3, 1, 2, 40},  // 24 "戦闘機Ａ" (kind 16)
    {5, -4, 15, 25, 28, 5, 2, 1, 1, 40},  // 25 "戦闘機Ｂ" (kind 17)
    {4, -4, 11, 15, 40, -1, 0, 3, 0, 80},  // 26 "大型輸送機" (kind 19)
    {8, -6, 0, 20, 70, 3, 2, 3, 3, 80},  // 27 "大型戦車" (kind 5)
    {0, 0, 0, 0, 1, 9, 2, 3, 4, 80},  // 28 mounted on "大型戦車" (kind 5)
    {0, 0, 20, 3, 30, -1, 0, 3, 6, 80},  // 29 created by nothing
    {1, -1, 1, 5, 2, -1, 0, 0, 11, 40},  // 30 parachute dropped by type 26 (becomes type 31 on landing)
    {6, -3, 0, 32, 4, 12, 1, 0, 7, 30},  // 31 "特殊部隊兵" (kind 24); also landed from type 30
    {4, -2, 0, 20, 3, 11, 1, 0, 8, 30},  // 32 "バズーカ兵" (kind 25)
    {5, -3, 0, 25, 2, 8, 3, 0, 9, 30},  // 33 "ハンドガン兵" (kind 26)
    {0, 0, 18, 4, 20, -1, 0, 3, 6, 50},  // 34 created by nothing
    {12, 24, 0, 30, 90, 5, 8, 0, 10, 40},  // 35 "テスター" (kind 31)
    {2, -1, 0, 8, 25, -1, 1, 4, 0, 40},  // 36 "迫撃砲" (kind 13)
    {0, 0, 0, 0, 5, -1, 0, 4, 1, 30},  // 37 grenade thrown by type 45
    {0, 0, 0, 0, 10, -1, 0, 4, 2, 20},  // 38 demolition charge laid by type 44
    {5, -4, 0, 20, 32, -1, 0, 4, 3, 40},  // 39 "戦車Ｃ" (kind 4); "機関砲" (kind 6)
    {0, 0, 0, 0, 1, 13, 2, 4, 4, 40},  // 40 mounted on "戦車Ｃ" (kind 4)
    {0, 0, 0, 0, 1, 0, 2, 4, 5, 40},  // 41 mounted on "機関砲" (kind 6); mounted on "大型輸送機" (kind 19)
    {0, 0, 0, 0, 20, -1, 0, 4, 6, 25},  // 42 created by nothing
    {8, -5, 0, 20, 45, 13, 3, 4, 7, 40},  // 43 "突撃砲" (kind 9)
    {4, -2, 0, 20, 3, -1, 1, 4, 8, 30},  // 44 "工作兵" (kind 27)
    {6, -3, 0, 30, 2, -1, 1, 4, 9, 30},  // 45 "手榴弾兵" (kind 28)
    {15, -12, 0, 35, 50, -1, 2, 4, 12, 40},  // 46 "スカイランサー" (kind 30)
    {0, 0, 0, 0, 60, -1, 0, 5, 0, 70},  // 47 "本部" (kind 32)
    {0, 0, 0, 0, 40, -1, 0, 5, 1, 50},  // 48 "居住施設Ａ" (kind 33)
    {0, 0, 0, 0, 80, -1, 0, 5, 2, 90},  // 49 "工場" (kind 34)
    {3, -2, 0, 15, 2, 16, 2, 5, 5, 30},  // 50 "スナイパー兵" (kind 35)
    {20, -12, 0, 20, 45, 17, 3, 5, 6, 40},  // 51 "ダークファイター" (kind 36)
    {5, -4, 12, 20, 35, -1, 2, 3, 1, 80},  // 52 "大型攻撃機" (kind 37)
    {9, -9, 0, 18, 120, 18, 2, 3, 7, 90},  // 53 "コア" (kind 38)
    {15, -10, 0, 22, 30, 19, 1, 5, 14, 40},  // 54 "ダークサークル" (kind 39)
}};
const std::array<ProjectileType, kProjectileTypeCount> kProjectileTypes = {{
    {4, 32, 8, 30, 30, 0, 4, 40},  // 0
    {18, 38, 1, 30, 100, 0, 5, 40},  // 1
    {8, 50, 1, 25, 60, 0, 3, 40},  // 2
    {5, 36, 6, 30, 20, 0, 4, 40},  // 3
    {14, 30, 10, 35, 40, 0, 2, 30},  // 4
    {16, 22, 1, 75, 80, 0, 2, 40},  // 5
    {10, 10, 7, 10, 30, 0, 2, 40},  // 6
    {2, 40, 5, 15, 25, 0, 4, 30},  // 7
    {1, 35, 1, 12, 100, 0, 4, 30},  // 8
    {22, 45, 1, 30, 100, 0, 5, 60},  // 9
    {5, 0, 1, -1, 1, 0, 0, 80},  // 10
    {12, 32, 1, 25, 100, 0, 5, 30},  // 11
    {3, 42, 4, 16, 20, 0, 4, 30},  // 12
    {12, 40, 1, 25, 100, 0, 4, 40},  // 13
    {8, 0, 1, 2, 1, 4, 10, 100},  // 14
    {3, 0, 1, -1, 1, 0, 1, 60},  // 15
    {3, 45, 1, 28, 100, 0, 4, 30},  // 16
    {10, 60, 8, 26, 35, 5, 7, 50},  // 17
    {30, 65, 1, 30, 100, 3, 5, 70},  // 18
    {5, 70, 5, 20, 12, 5, 15, 40},  // 19
}};
const std::array<UnitKind, kUnitKindCount> kUnitKinds = {{
    {0, 1, 1, 50},  // 0 ヘリＡ helicopter A
    {22, 1, 1, 35},  // 1 ヘリＢ helicopter B
    {2, 3, 0, 46},  // 2 戦車Ａ tank A
    {4, 5, 0, 40},  // 3 戦車Ｂ tank B
    {39, 40, 0, 28},  // 4 戦車Ｃ tank C
    {27, 28, 0, 85},  // 5 大型戦車 heavy tank
    {39, 41, 0, 25},  // 6 機関砲 machine cannon
    {8, 12, 0, 42},  // 7 対空ミサイル anti-aircraft missile
    {8, 9, 0, 37},  // 8 対空機関砲 anti-aircraft gun
    {43, -1, 0, 32},  // 9 突撃砲 assault gun
    {10, -1, 0, 20},  // 10 装甲車 armoured car
    {20, 18, 0, 12},  // 11 ジープ jeep
    {19, 18, 0, 30},  // 12 兵員輸送トラック troop truck
    {36, -1, 0, 20},  // 13 迫撃砲 mortar
    {7, -1, 1, 40},  // 14 偵察機 reconnaissance plane
    {11, -1, 1, 55},  // 15 攻撃機 attack plane
    {24, -1, 1, 60},  // 16 戦闘機Ａ fighter A
    {25, -1, 1, 70},  // 17 戦闘機Ｂ fighter B
    {23, -1, 1, 45},  // 18 ＶＴＯＬ機 VTOL plane
    {26, 41, 1, 80},  // 19 大型輸送機 heavy transport plane
    {17, 13, 0, 30},  // 20 キャノン砲 cannon
    {17, 14, 0, 40},  // 21 ロケット砲 rocket artillery
    {16, -1, 0, 4},  // 22 歩兵 infantry
    {18, -1, 0, 4},  // 23 警備歩兵 guard infantry
    {31, -1, 0, 6},  // 24 特殊部隊兵 special forces soldier
    {32, -1, 0, 5},  // 25 バズーカ兵 bazooka soldier
    {33, -1, 0, 2},  // 26 ハンドガン兵 handgun soldier
    {44, -1, 0, 5},  // 27 工作兵 engineer
    {45, -1, 0, 4},  // 28 手榴弾兵 grenadier
    {6, -1, 1, 90},  // 29 ニュースタンダード New Standard
    {46, -1, 1, 95},  // 30 スカイランサー Sky Lancer
    {35, -1, 1, 1},  // 31 テスター Tester
    {47, 13, 0, 250},  // 32 本部 headquarters
    {48, -1, 0, 150},  // 33 居住施設Ａ housing A
    {49, 13, 0, 200},  // 34 工場 factory
    {50, -1, 0, 4},  // 35 スナイパー兵 sniper
    {51, -1, 1, 100},  // 36 ダークファイター Dark Fighter
    {52, -1, 1, 86},  // 37 大型攻撃機 heavy attack plane
    {53, -1, 1, 145},  // 38 コア Core
    {54, -1, 1, 70},  // 39 ダークサークル Dark Circle
}};
const std::array<const char*, kUnitKindCount> kind_names = {
    "ヘリＡ",
    "ヘリＢ",
    "戦車Ａ",
    "戦車Ｂ",
    "戦車Ｃ",
    "大型戦車",
    "機関砲",
    "対空ミサイル",
    "対空機関砲",
    "突撃砲",
    "装甲車",
    "ジープ",
    "兵員輸送トラック",
    "迫撃砲",
    "偵察機",
    "攻撃機",
    "戦闘機Ａ",
    "戦闘機Ｂ",
    "ＶＴＯＬ機",
    "大型輸送機",
    "キャノン砲",
    "ロケット砲",
    "歩兵",
    "警備歩兵",
    "特殊部隊兵",
    "バズーカ兵",
    "ハンドガン兵",
    "工作兵",
    "手榴弾兵",
    "ニュースタンダード",
    "スカイランサー",
    "テスター",
    "本部",
    "居住施設Ａ",
    "工場",
    "スナイパー兵",
    "ダークファイター",
    "大型攻撃機",
    "コア",
    "ダークサークル",
};
const std::array<std::array<int8_t, 12>, 4> build_lists = {{
    {22, 25, 35, 11, 12, 10, 9, 3, 0, 15, 16, 19},
    {26, 22, 28, 27, 11, 12, 13, 6, 4, 1, 14, 15},
    {24, 8, 7, 2, 0, 18, 16, 17, 37, 5, 29, 30},
    {39, 36, 38, 39, 36, 38, 39, 36, 38, 39, 36, 38},
}};
// clang-format on

const std::array<int8_t, kOrderItems> order_icon_cells = {4, 0, 2, 3, 1, 5};

namespace {
constexpr UnitType kNoUnitType{};
constexpr ProjectileType kNoProjectileType{};
}  // namespace

const UnitType& unit_type(int type) {
  if (type < 0 || type >= kUnitTypeCount) return kNoUnitType;
  return kUnitTypes[type];
}

const ProjectileType& projectile_type(int kind) {
  if (kind < 0 || kind >= kProjectileTypeCount) return kNoProjectileType;
  return kProjectileTypes[kind];
}

const UnitKind* unit_kind(int kind) {
  if (kind < 0 || kind >= kUnitKindCount) return nullptr;
  return &kUnitKinds[kind];
}

int build_list_kind(int list, int item) {
  if (list < 0 || list >= kBuildListCount || item < 0 || item >= kBuildListLength) return -1;
  return build_lists[list][item];
}

}  // namespace quarvex
