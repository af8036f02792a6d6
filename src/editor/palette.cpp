#include "editor/palette.h"

#include "lang/texts.h"

namespace quarvex {

namespace {

constexpr int8_t kBuildings[] = {32, 34, 33, 38};
constexpr int8_t kSoldiers[] = {22, 23, 24, 25, 26, 27, 28, 35};
constexpr int8_t kVehicles[] = {2, 3, 4, 5, 9, 10, 11, 12, 13};
constexpr int8_t kGuns[] = {6, 7, 8, 20, 21};
constexpr int8_t kAircraft[] = {0, 1, 14, 15, 16, 17, 18, 19, 37};
constexpr int8_t kSpecial[] = {29, 30, 31, 36, 39};

constexpr PaletteCategory kCategories[] = {
    {N_("Buildings"), kBuildings}, {N_("Soldiers"), kSoldiers}, {N_("Vehicles"), kVehicles},
    {N_("Guns"), kGuns},           {N_("Aircraft"), kAircraft}, {N_("Specials"), kSpecial},
};

}  // namespace

std::span<const PaletteCategory> palette_categories() {
  return kCategories;
}

}  // namespace quarvex
