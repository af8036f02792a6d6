#pragma once
// The rendering device on OpenGL: the picture is drawn into a 640x480
// off-screen target and shown scaled in the window. Keeps to what OpenGL ES
// 3.0 also offers: buffers and shaders only.

#include <array>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/device.h"
#include "platform/font.h"
#include "platform/image.h"
#include "platform/sprite_batch.h"
#include "platform/window.h"

namespace quarvex {

class GlDevice final : public Device {
 public:
  // Needs the window's context to be current. Null when the shaders or the
  // off-screen target cannot be made; `error` says why.
  static std::unique_ptr<GlDevice> create(Window& window, std::string& error);
  ~GlDevice() override;
  GlDevice(const GlDevice&) = delete;
  GlDevice& operator=(const GlDevice&) = delete;

  // A picture that fails to load leaves its slot empty.
  bool load_texture(int slot, const std::string& path, std::string& error);
  void set_texture(int slot, const Image& image);
  void set_fonts(std::unique_ptr<Fonts> fonts);
  bool has_fonts() const { return fonts_ != nullptr; }
  // Saves the next presented picture as PNG.
  void request_screenshot(const std::string& path) { screenshot_path_ = path; }
  // The last error of a screenshot, empty when it was saved.
  const std::string& screenshot_error() const { return screenshot_error_; }
  // Draws everything queued into the picture and shows the picture in the
  // window again, without clearing it.
  void show_picture();

  void begin_frame(uint32_t clear_argb, float clear_depth) override;
  void set_view_projection(const glm::mat4& view, const glm::mat4& projection) override;
  void set_world(const glm::mat4& world) override;
  void draw_world_quad(int slot, const std::array<WorldVertex, 4>& quad) override;
  void draw_screen_quad(int slot, const std::array<ScreenVertex, 4>& quad) override;
  void draw_text(const char* text, const TextRect& rect, TextAlign align, uint32_t argb) override;
  void set_text_face(TextFace face) override { face_ = face; }
  TextSize text_size(const char* text) override;
  void present() override;

 private:
  struct TextPicture {
    uint32_t texture;
    int width, height;
  };
  explicit GlDevice(Window& window);
  bool init(std::string& error);
  uint32_t texture_of(int slot) const;
  bool texture_opaque(int slot) const;
  void add_quad(uint32_t texture, bool texture_opaque, const std::array<BatchVertex, 4>& corners);
  void flush();
  void clear_colour();
  void save_screenshot();
  const TextPicture* text_picture(const char* text);

  Window& window_;
  SpriteBatch batch_;
  std::array<uint32_t, kTextureSlots> slots_{};
  std::array<bool, kTextureSlots> slot_opaque_{};
  uint32_t white_texture_ = 0;
  uint32_t program_ = 0;
  uint32_t vertex_array_ = 0;
  uint32_t vertex_buffer_ = 0;
  uint32_t framebuffer_ = 0;
  // Where this frame is drawn: the window itself when it is exactly the
  // picture's size, else the off-screen picture that is then scaled into it.
  uint32_t target_ = 0;
  uint32_t colour_buffer_ = 0;
  uint32_t depth_buffer_ = 0;
  // The frame's colour clear waits for its first quad: an opaque quad that
  // covers the whole picture makes it needless, and on a software
  // rasteriser it costs a pass over every pixel.
  bool colour_clear_pending_ = false;
  uint32_t clear_argb_ = 0;
  glm::mat4 view_projection_{1.0f};
  glm::mat4 world_view_projection_{1.0f};
  std::unique_ptr<Fonts> fonts_;
  TextFace face_ = TextFace::kLatin;
  // By the face's number and the text.
  std::unordered_map<std::string, TextPicture> text_cache_;
  std::string cache_key_;
  Image text_scratch_;
  std::string screenshot_path_;
  std::string screenshot_error_;
};

// Writes an RGBA picture (rows from the top) as PNG.
bool write_png(const std::string& path, int width, int height, const uint8_t* rgba);

}  // namespace quarvex
