#pragma once
// What every picture reader must give for any bytes: a picture with exactly
// the pixels its size promises, or a refusal with a reason.

#include <cstdlib>
#include <string>

#include "platform/image.h"

inline void check_decoded_image(bool decoded, const quarvex::Image& image,
                                const std::string& error) {
  if (!decoded) {
    if (error.empty()) std::abort();
    return;
  }
  if (image.width < 1 || image.height < 1 || image.width > quarvex::kMaxImageEdge ||
      image.height > quarvex::kMaxImageEdge ||
      image.rgba.size() != size_t(image.width) * size_t(image.height) * 4)
    std::abort();
}
