#include "web/page_texts.h"

#include <emscripten.h>

#include <utility>

namespace quarvex {

namespace {

// clang-format off
EM_JS(void, js_page_texts, (const char* json), {
  if (typeof quarvexPageTexts === 'function') quarvexPageTexts(UTF8ToString(json));
});
// clang-format on

void add_json_string(std::string& json, const char* text) {
  json += '"';
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '"' || *c == '\\') json += '\\';
    if (static_cast<unsigned char>(*c) < 0x20) continue;
    json += *c;
  }
  json += '"';
}

}  // namespace

void show_page_texts(const Texts& texts, const std::string& code) {
  const std::pair<const char*, const char*> words[] = {
      {"replays", texts.tr("Replays")},
      {"replaysKept", texts.tr("Replays kept in this browser (the last 100 written):")},
      {"noneYet", texts.tr("none yet: every stage played here is kept")},
      {"download", texts.tr("download")},
      {"watch", texts.tr("replay link", "watch")},
      {"unfinished", texts.tr("(unfinished)")},
      {"leaveQuestion",
       texts.tr("Watching the replay leaves the stage in play (its replay so far is kept).")},
      {"leaveWatch", texts.tr("Watch")},
      {"leaveStay", texts.tr("Keep playing")},
      {"openReplay", texts.tr("Open a replay file:")},
      {"ended", texts.tr("quarvex has ended.")},
      {"playAgain", texts.tr("Play again")},
      {"credits", texts.tr("Credits")},
      {"stages", texts.tr("Stages")},
      {"stagesKept",
       texts.tr("Your stages kept in this browser (the title menu lists them under Stages):")},
      {"noStagesYet", texts.tr("none yet")},
      {"uploadStage", texts.tr("Upload a stage (its .aod with its .toml, or the .aod alone):")},
      {"stageAdded", texts.tr("{name} added: choose it under Stages in the title menu.")},
      {"stageRefused", texts.tr("{name} not added: {reason}")},
      {"stageKept", texts.tr("{name} not added: the stage kept here stays.")},
      {"replaceStage", texts.tr("A stage named {name} is kept here already. Replace it?")},
      {"notAStage", texts.tr("{name} is neither a stage file (.aod) nor a description (.toml).")},
      {"loadingGround", texts.tr("Loading the stage's ground picture…")},
      {"groundFailed", texts.tr("The stage's ground picture could not be loaded; the stage is "
                                "played on plain ground")},
      {"soundsFailed", texts.tr("The sounds could not be loaded; the game plays without them")},
  };
  std::string json = "{\"lang\": ";
  add_json_string(json, code.c_str());
  for (const auto& [key, text] : words) {
    json += ", ";
    add_json_string(json, key);
    json += ": ";
    add_json_string(json, text);
  }
  json += "}";
  js_page_texts(json.c_str());
}

}  // namespace quarvex
