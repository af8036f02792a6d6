#pragma once
// What the simulation needs from outside the World: message boxes, the seed
// of a stage load, the ground image and the data folder. The frame loop
// provides it; tests provide their own.

#include <cstdint>

namespace quarvex {

struct Services {
  virtual ~Services() = default;
  // Modal: returns when the player has dismissed the box.
  virtual void show_message(const char* text) = 0;
  // The stage load seeds the generator with this: the calendar time in whole
  // seconds, or a fixed seed given on the command line.
  virtual uint32_t stage_seed() = 0;
  // Loads the ground picture (a path) into texture slot 8; failures are ignored.
  virtual void load_ground_image(const char* path) = 0;
  // Folder that holds the stage files and pictures.
  virtual const char* data_dir() = 0;
};

}  // namespace quarvex
