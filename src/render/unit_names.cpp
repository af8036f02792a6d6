#include "render/unit_names.h"

#include "lang/texts.h"

namespace quarvex {

namespace {

const std::array<const char*, kUnitKindCount> kKindNames = {
    N_("Helicopter A"),
    N_("Helicopter B"),
    N_("Tank A"),
    N_("Tank B"),
    N_("Tank C"),
    N_("Heavy tank"),
    N_("Machine cannon"),
    N_("Anti-aircraft missile"),
    N_("Anti-aircraft gun"),
    N_("Assault gun"),
    N_("Armoured car"),
    N_("Jeep"),
    N_("Troop truck"),
    N_("Mortar"),
    N_("Reconnaissance plane"),
    N_("Attack plane"),
    N_("Fighter A"),
    N_("Fighter B"),
    N_("VTOL plane"),
    N_("Heavy transport plane"),
    N_("Cannon"),
    N_("Rocket artillery"),
    N_("Infantry"),
    N_("Guard infantry"),
    N_("Special forces soldier"),
    N_("Bazooka soldier"),
    N_("Handgun soldier"),
    N_("Engineer"),
    N_("Grenadier"),
    N_("New Standard"),
    N_("Sky Lancer"),
    N_("Tester"),
    N_("Headquarters"),
    N_("Housing A"),
    N_("Factory"),
    N_("Sniper"),
    N_("Dark Fighter"),
    N_("Heavy attack plane"),
    N_("Core"),
    N_("Dark Circle"),
};

}  // namespace

const char* kind_name(int kind) {
  if (kind < 0 || kind >= kUnitKindCount) return "";
  return kKindNames[static_cast<size_t>(kind)];
}

const std::array<const char*, kOrderItems> kOrderNames = {
    N_("drive"), N_("hold"), N_("roam"), N_("go to the mark"), N_("follow the mark"), N_("build")};

}  // namespace quarvex
