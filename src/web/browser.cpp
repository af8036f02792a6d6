#include "web/browser.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <string>

namespace quarvex {

namespace {

// clang-format off
EM_JS(void, js_offer_download, (const char* path), {
  const name = UTF8ToString(path);
  let bytes;
  try {
    bytes = FS.readFile(name);
    if (!quarvexKeptFile(name)) FS.unlink(name);
  } catch (e) {
    console.error('quarvex: cannot offer ' + name + ' as a download: ' + e);
    return;
  }
  quarvexDownload(name.substring(name.lastIndexOf('/') + 1), bytes);
});

EM_JS(void, js_report_page_state, (double frames, const char* state, int in_play), {
  if (typeof quarvexPageState === 'function') {
    quarvexPageState(frames, UTF8ToString(state), in_play !== 0);
  }
});

EM_JS(void, js_page_note, (const char* key, const char* detail), {
  if (typeof quarvexPageNote === 'function') quarvexPageNote(UTF8ToString(key), UTF8ToString(detail));
});
// clang-format on

}  // namespace

bool page_hidden() {
  EmscriptenVisibilityChangeEvent status{};
  if (emscripten_get_visibility_status(&status) != EMSCRIPTEN_RESULT_SUCCESS) return false;
  return status.hidden != 0;
}

std::string own_server_address() {
  const char* protocol = emscripten_run_script_string("location.protocol");
  const std::string scheme = protocol != nullptr ? protocol : "";
  if (scheme != "http:" && scheme != "https:") return {};
  const char* host = emscripten_run_script_string("location.host");
  if (host == nullptr || *host == 0) return {};
  return (scheme == "https:" ? "wss://" : "ws://") + std::string(host);
}

void canvas_pixel_size(int& width, int& height) {
  double css_width = 0;
  double css_height = 0;
  emscripten_get_element_css_size("#canvas", &css_width, &css_height);
  const double ratio = emscripten_get_device_pixel_ratio();
  width = static_cast<int>(std::lround(css_width * ratio));
  height = static_cast<int>(std::lround(css_height * ratio));
}

void offer_download(const std::string& path) {
  js_offer_download(path.c_str());
}

void report_page_state(int64_t frames, const char* state, bool stage_in_play) {
  js_report_page_state(static_cast<double>(frames), state, stage_in_play ? 1 : 0);
}

void show_page_note(const char* key, const std::string& detail) {
  js_page_note(key, detail.c_str());
}

}  // namespace quarvex
