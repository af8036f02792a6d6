#include "platform/gl_device.h"

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#else
#include <epoxy/gl.h>
#endif

#include <algorithm>
#include <glm/mat4x4.hpp>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace quarvex {

namespace {

constexpr size_t kBatchQuads = 4096;
// Distinct labels are few; past this many the cache starts again.
constexpr size_t kMaxCachedTexts = 256;

// The two shaders differ between OpenGL 3.3 and OpenGL ES 3.0 only in their
// first line.
constexpr const char* kVertexShader = R"(
layout(location = 0) in vec4 a_position;
layout(location = 1) in vec4 a_colour;
layout(location = 2) in vec2 a_uv;
out vec4 v_colour;
out vec2 v_uv;
void main() {
  gl_Position = a_position;
  v_colour = a_colour;
  v_uv = a_uv;
}
)";
constexpr const char* kFragmentShader = R"(
precision highp float;
uniform sampler2D u_texture;
in vec4 v_colour;
in vec2 v_uv;
out vec4 fragment_colour;
void main() { fragment_colour = texture(u_texture, v_uv) * v_colour; }
)";

GLuint compile(GLenum stage, const char* version, const char* body, std::string& error) {
  const GLuint shader = glCreateShader(stage);
  const char* sources[] = {version, body};
  glShaderSource(shader, 2, sources, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok != GL_TRUE) {
    char log[512] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    error = std::string("shader does not compile: ") + log;
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

GLuint make_texture(int width, int height, const uint8_t* rgba) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  // Nearest texel, no mip levels; coordinates outside 0..1 repeat.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  return texture;
}

BatchVertex clip_vertex(const glm::vec4& position, uint32_t argb, float u, float v) {
  BatchVertex out{position.x, position.y, position.z, position.w, 0, 0, 0, 0, u, v};
  set_colour(out, argb);
  return out;
}

// Pixels of the picture to clip space; depth 0 is the nearest.
BatchVertex screen_to_clip(float x, float y, float z, uint32_t argb, float u, float v) {
  return clip_vertex(glm::vec4(x / 320.0f - 1.0f, 1.0f - y / 240.0f, z * 2.0f - 1.0f, 1.0f), argb,
                     u, v);
}

}  // namespace

GlDevice::GlDevice(Window& window) : window_(window), batch_(kBatchQuads) {}

std::unique_ptr<GlDevice> GlDevice::create(Window& window, std::string& error) {
  std::unique_ptr<GlDevice> device(new GlDevice(window));
  if (!device->init(error)) return nullptr;
  return device;
}

bool GlDevice::init(std::string& error) {
  const char* version = window_.is_gles() ? "#version 300 es\n" : "#version 330 core\n";
  const GLuint vertex = compile(GL_VERTEX_SHADER, version, kVertexShader, error);
  if (vertex == 0) return false;
  const GLuint fragment = compile(GL_FRAGMENT_SHADER, version, kFragmentShader, error);
  if (fragment == 0) {
    glDeleteShader(vertex);
    return false;
  }
  program_ = glCreateProgram();
  glAttachShader(program_, vertex);
  glAttachShader(program_, fragment);
  glLinkProgram(program_);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint linked = GL_FALSE;
  glGetProgramiv(program_, GL_LINK_STATUS, &linked);
  if (linked != GL_TRUE) {
    error = "shader program does not link";
    return false;
  }
  glUseProgram(program_);
  glUniform1i(glGetUniformLocation(program_, "u_texture"), 0);

  glGenVertexArrays(1, &vertex_array_);
  glBindVertexArray(vertex_array_);
  glGenBuffers(1, &vertex_buffer_);
  glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer_);
  const auto stride = static_cast<GLsizei>(sizeof(BatchVertex));
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(offsetof(BatchVertex, x)));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        reinterpret_cast<void*>(offsetof(BatchVertex, r)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(offsetof(BatchVertex, u)));

  const uint8_t white[4] = {255, 255, 255, 255};
  white_texture_ = make_texture(1, 1, white);

  glGenRenderbuffers(1, &colour_buffer_);
  glBindRenderbuffer(GL_RENDERBUFFER, colour_buffer_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kPictureWidth, kPictureHeight);
  glGenRenderbuffers(1, &depth_buffer_);
  glBindRenderbuffer(GL_RENDERBUFFER, depth_buffer_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, kPictureWidth, kPictureHeight);
  glGenFramebuffers(1, &framebuffer_);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_buffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_buffer_);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    error = "the off-screen picture cannot be created";
    return false;
  }
  return true;
}

GlDevice::~GlDevice() {
  // Each object once: the atlases and the ground first, then the device's own.
  for (uint32_t& texture : slots_) {
    if (texture != 0) glDeleteTextures(1, &texture);
    texture = 0;
  }
  for (auto& [text, picture] : text_cache_) glDeleteTextures(1, &picture.texture);
  if (white_texture_ != 0) glDeleteTextures(1, &white_texture_);
  if (framebuffer_ != 0) glDeleteFramebuffers(1, &framebuffer_);
  if (colour_buffer_ != 0) glDeleteRenderbuffers(1, &colour_buffer_);
  if (depth_buffer_ != 0) glDeleteRenderbuffers(1, &depth_buffer_);
  if (vertex_buffer_ != 0) glDeleteBuffers(1, &vertex_buffer_);
  if (vertex_array_ != 0) glDeleteVertexArrays(1, &vertex_array_);
  if (program_ != 0) glDeleteProgram(program_);
}

bool GlDevice::load_texture(int slot, const std::string& path, std::string& error) {
  if (slot < 0 || slot >= kTextureSlots) return false;
  Image image;
  if (!load_image_file(path, image, error)) {
    if (slots_[slot] != 0) glDeleteTextures(1, &slots_[slot]);
    slots_[slot] = 0;
    return false;
  }
  set_texture(slot, image);
  return true;
}

void GlDevice::set_texture(int slot, const Image& image) {
  if (slot < 0 || slot >= kTextureSlots) return;
  flush();
  if (slots_[slot] != 0) glDeleteTextures(1, &slots_[slot]);
  slots_[slot] = make_texture(image.width, image.height, image.rgba.data());
  slot_opaque_[slot] = is_opaque(image);
}

uint32_t GlDevice::texture_of(int slot) const {
  if (slot < 0 || slot >= kTextureSlots || slots_[slot] == 0) return white_texture_;
  return slots_[slot];
}

bool GlDevice::texture_opaque(int slot) const {
  if (slot < 0 || slot >= kTextureSlots || slots_[slot] == 0) return true;  // the white texture
  return slot_opaque_[slot];
}

void GlDevice::begin_frame(uint32_t clear_argb, float clear_depth) {
  batch_.clear();
  int width = 0;
  int height = 0;
  window_.drawable_size(width, height);
  // Drawing straight into a window of the picture's size saves a copy of
  // every pixel each frame, which matters on a software rasteriser.
  target_ = (width == kPictureWidth && height == kPictureHeight) ? 0 : framebuffer_;
  glBindFramebuffer(GL_FRAMEBUFFER, target_);
  glViewport(0, 0, kPictureWidth, kPictureHeight);
  glDepthMask(GL_TRUE);
  glClearDepthf(clear_depth);
  glClear(GL_DEPTH_BUFFER_BIT);
  clear_argb_ = clear_argb;
  colour_clear_pending_ = true;
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void GlDevice::set_view_projection(const glm::mat4& view, const glm::mat4& projection) {
  view_projection_ = projection * view;
  world_view_projection_ = view_projection_;
}

void GlDevice::set_world(const glm::mat4& world) {
  world_view_projection_ = view_projection_ * world;
}

void GlDevice::clear_colour() {
  colour_clear_pending_ = false;
  glBindFramebuffer(GL_FRAMEBUFFER, target_);
  glClearColor(static_cast<float>((clear_argb_ >> 16) & 255) / 255.0f,
               static_cast<float>((clear_argb_ >> 8) & 255) / 255.0f,
               static_cast<float>(clear_argb_ & 255) / 255.0f,
               static_cast<float>(clear_argb_ >> 24) / 255.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

void GlDevice::add_quad(uint32_t texture, bool texture_opaque,
                        const std::array<BatchVertex, 4>& corners) {
  if (colour_clear_pending_) {
    if (quad_opaque(texture_opaque, corners) && covers_picture(corners)) {
      colour_clear_pending_ = false;
    } else {
      clear_colour();
    }
  }
  if (!batch_.add_quad(texture, texture_opaque, corners)) {
    flush();
    batch_.add_quad(texture, texture_opaque, corners);
  }
}

void GlDevice::draw_world_quad(int slot, const std::array<WorldVertex, 4>& quad) {
  std::array<BatchVertex, 4> corners{};
  for (size_t i = 0; i < 4; ++i) {
    const WorldVertex& v = quad[i];
    corners[i] =
        clip_vertex(world_view_projection_ * glm::vec4(v.x, v.y, v.z, 1.0f), v.colour, v.u, v.v);
  }
  // Most of a crowded map is off the picture; a quad left out early also
  // keeps the runs of one texture long.
  if (outside_view(corners)) return;
  add_quad(texture_of(slot), texture_opaque(slot), corners);
}

void GlDevice::draw_screen_quad(int slot, const std::array<ScreenVertex, 4>& quad) {
  std::array<BatchVertex, 4> corners{};
  for (size_t i = 0; i < 4; ++i) {
    const ScreenVertex& v = quad[i];
    corners[i] = screen_to_clip(v.x, v.y, v.z, v.colour, v.u, v.v);
  }
  add_quad(texture_of(slot), texture_opaque(slot), corners);
}

void GlDevice::set_fonts(std::unique_ptr<Fonts> fonts) {
  flush();
  for (auto& [cached, picture] : text_cache_) glDeleteTextures(1, &picture.texture);
  text_cache_.clear();
  fonts_ = std::move(fonts);
}

TextSize GlDevice::text_size(const char* text) {
  return fonts_ != nullptr ? fonts_->size(text, face_) : TextSize{};
}

const GlDevice::TextPicture* GlDevice::text_picture(const char* text) {
  cache_key_.assign(1, static_cast<char>('0' + static_cast<int>(face_)));
  cache_key_ += text;
  const auto found = text_cache_.find(cache_key_);
  if (found != text_cache_.end()) return &found->second;
  if (!fonts_->render(text, face_, text_scratch_)) return nullptr;
  if (text_cache_.size() >= kMaxCachedTexts) {
    flush();
    for (auto& [cached, picture] : text_cache_) glDeleteTextures(1, &picture.texture);
    text_cache_.clear();
  }
  const TextPicture picture{
      make_texture(text_scratch_.width, text_scratch_.height, text_scratch_.rgba.data()),
      text_scratch_.width, text_scratch_.height};
  return &text_cache_.emplace(cache_key_, picture).first->second;
}

void GlDevice::draw_text(const char* text, const TextRect& rect, TextAlign align, uint32_t argb) {
  if (fonts_ == nullptr) return;
  const TextPicture* picture = text_picture(text);
  if (picture == nullptr) return;
  int left_pixel = rect.left;
  if (align == TextAlign::kRight) left_pixel = rect.right - picture->width;
  if (align == TextAlign::kCentre) left_pixel = (rect.left + rect.right - picture->width) / 2;
  const auto left = static_cast<float>(left_pixel);
  const auto top = static_cast<float>(rect.top);
  const float right = left + static_cast<float>(picture->width);
  const float bottom = top + static_cast<float>(picture->height);
  add_quad(picture->texture, false,
           {{screen_to_clip(left, top, 0.0f, argb, 0.0f, 0.0f),
             screen_to_clip(left, bottom, 0.0f, argb, 0.0f, 1.0f),
             screen_to_clip(right, bottom, 0.0f, argb, 1.0f, 1.0f),
             screen_to_clip(right, top, 0.0f, argb, 1.0f, 0.0f)}});
}

void GlDevice::flush() {
  if (batch_.empty()) return;
  glBindFramebuffer(GL_FRAMEBUFFER, target_);
  glViewport(0, 0, kPictureWidth, kPictureHeight);
  glUseProgram(program_);
  glBindVertexArray(vertex_array_);
  glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer_);
  const auto& vertices = batch_.vertices();
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(BatchVertex)),
               vertices.data(), GL_STREAM_DRAW);
  glActiveTexture(GL_TEXTURE0);
  for (const BatchRun& run : batch_.runs()) {
    glBindTexture(GL_TEXTURE_2D, run.texture);
    // Blending at full alpha gives the source pixel exactly; leaving it out
    // spares a software rasteriser reading the picture back.
    if (run.opaque) {
      glDisable(GL_BLEND);
    } else {
      glEnable(GL_BLEND);
    }
    glDrawArrays(GL_TRIANGLES, static_cast<GLint>(run.first_vertex),
                 static_cast<GLsizei>(run.vertex_count));
  }
  batch_.clear();
}

void GlDevice::save_screenshot() {
  std::vector<uint8_t> pixels(size_t{kPictureWidth} * kPictureHeight * 4);
  glBindFramebuffer(GL_FRAMEBUFFER, target_);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kPictureWidth, kPictureHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  // The picture is opaque; blending leaves traces in the stored alpha.
  for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
  std::vector<uint8_t> top_down(pixels.size());
  const size_t row = size_t{kPictureWidth} * 4;
  for (int y = 0; y < kPictureHeight; ++y) {
    std::copy_n(&pixels[size_t(kPictureHeight - 1 - y) * row], row, &top_down[size_t(y) * row]);
  }
  screenshot_error_.clear();
  if (!write_png(screenshot_path_, kPictureWidth, kPictureHeight, top_down.data())) {
    screenshot_error_ = "cannot write the screenshot " + screenshot_path_;
  }
  screenshot_path_.clear();
}

void GlDevice::show_picture() {
  flush();
  if (target_ == 0) {
    window_.swap();
    return;
  }
  int width = 0;
  int height = 0;
  window_.drawable_size(width, height);
  const Viewport view = letterbox(width, height);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glViewport(0, 0, width, height);
  // Bars only where the picture does not cover the window.
  if (view.width != width || view.height != height) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glBlitFramebuffer(0, 0, kPictureWidth, kPictureHeight, view.x, view.y, view.x + view.width,
                    view.y + view.height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  window_.swap();
  glBindFramebuffer(GL_FRAMEBUFFER, target_);
}

void GlDevice::present() {
  if (colour_clear_pending_) clear_colour();
  flush();
  if (!screenshot_path_.empty()) save_screenshot();
  show_picture();
}

bool write_png(const std::string& path, int width, int height, const uint8_t* rgba) {
  return stbi_write_png(path.c_str(), width, height, 4, rgba, width * 4) != 0;
}

}  // namespace quarvex
