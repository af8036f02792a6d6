// Pictures are untrusted: any bytes must decode or be refused without a read
// outside the data, and a decoded picture has exactly its pixels.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quarvex::Image image;
  std::string error;
  if (quarvex::decode_image(data, size, image, error)) {
    if (image.width < 1 || image.height < 1 || image.width > quarvex::kMaxImageEdge ||
        image.height > quarvex::kMaxImageEdge ||
        image.rgba.size() != size_t(image.width) * image.height * 4) {
      std::abort();
    }
  } else if (error.empty()) {
    std::abort();
  }
  return 0;
}
