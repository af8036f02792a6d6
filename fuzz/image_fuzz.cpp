// A ground picture may hold any bytes at all: they must decode or be
// refused with a reason, and a decoded picture must have exactly the pixels
// its size promises.

#include <cstdint>
#include <string>

#include "decoded_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quarvex::Image image;
  std::string error;
  check_decoded_image(quarvex::decode_image(data, size, image, error), image, error);
  return 0;
}
