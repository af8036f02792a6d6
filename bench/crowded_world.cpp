#include "crowded_world.h"

#include <filesystem>

#include "crowded_stage.h"

namespace quarvex::bench {

std::unique_ptr<World> crowded_world(int warm_up_frames) {
  IdleHost host;
  host.data = (std::filesystem::temp_directory_path() / "quarvex-bench").string();
  std::filesystem::create_directories(host.data);
  testing::write_crowded_stage(host.data, 1, 3);
  auto w = std::make_unique<World>();
  init_world(*w);
  w->stage_number = 1;
  w->reload_requested = 1;
  for (int i = 0; i < warm_up_frames; ++i) frame_tick(*w, host);
  return w;
}

}  // namespace quarvex::bench
