// Sprite atlases are DDS files from outside: any bytes must decode or be
// refused with a reason, without a read outside the data, and a decoded
// picture must have exactly the pixels its size promises.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quarvex::Image image;
  std::string error;
  if (!quarvex::decode_dds(data, size, image, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (image.width < 1 || image.height < 1 || image.width > quarvex::kMaxImageEdge ||
      image.height > quarvex::kMaxImageEdge ||
      image.rgba.size() != size_t(image.width) * size_t(image.height) * 4)
    std::abort();
  return 0;
}
