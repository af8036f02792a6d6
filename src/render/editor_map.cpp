// The editor's map: the game's ground and unit pictures through the game's
// camera, each placement framed in its side's colour, the selection in
// white, goals as lines, and the edge of the playing area.

#include <cmath>
#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>

#include "render/draw.h"
#include "render/editor_draw.h"
#include "render/panel_drawing.h"
#include "world/tables.h"

namespace quarvex {

namespace {

constexpr double kMarkDepth = 90.0;
constexpr double kUnitDepth = 91.5;
constexpr double kStepRadians = 22.5 * 3.14159265358979323846 / 180.0;
constexpr uint32_t kAreaEdgeColour = 0xC0FFD840u;
constexpr uint32_t kSelectedColour = 0xFFFFFFFFu;
constexpr uint32_t kGoalColour = 0xE0FFFFFFu;

// An untextured quad on the map, corners in map units.
void map_quad(Device& d, double x0, double y0, double x1, double y1, double x2, double y2,
              double x3, double y3, uint32_t colour) {
  const auto z = static_cast<float>(kMarkDepth);
  d.draw_world_quad(-1, {{{static_cast<float>(x0), static_cast<float>(y0), z, colour, 0, 0},
                          {static_cast<float>(x1), static_cast<float>(y1), z, colour, 0, 0},
                          {static_cast<float>(x2), static_cast<float>(y2), z, colour, 0, 0},
                          {static_cast<float>(x3), static_cast<float>(y3), z, colour, 0, 0}}});
}

void map_line(Device& d, double ax, double ay, double bx, double by, double width,
              uint32_t colour) {
  const double length = std::hypot(bx - ax, by - ay);
  if (length <= 0.0) return;
  const double nx = -(by - ay) / length * width / 2.0;
  const double ny = (bx - ax) / length * width / 2.0;
  map_quad(d, ax + nx, ay + ny, bx + nx, by + ny, bx - nx, by - ny, ax - nx, ay - ny, colour);
}

void map_frame(Device& d, double cx, double cy, double half, double width, uint32_t colour) {
  const double l = cx - half;
  const double r = cx + half;
  const double b = cy - half;
  const double t = cy + half;
  map_line(d, l, b, r, b, width, colour);
  map_line(d, l, t, r, t, width, colour);
  map_line(d, l, b - width / 2, l, t + width / 2, width, colour);
  map_line(d, r, b - width / 2, r, t + width / 2, width, colour);
}

// The placement's map point of slot `slot` (as a follow order names it);
// false when no placement takes it.
bool slot_position(const std::vector<StageRecord>& records, int slot, double& x, double& y) {
  int at = 1;
  for (const StageRecord& r : records) {
    if (at == slot) {
      x = r.x;
      y = r.y;
      return true;
    }
    const UnitKind* k = unit_kind(r.kind);
    at += k != nullptr && k->child_type != -1 ? 2 : 1;
    if (at > slot) return false;
  }
  return false;
}

}  // namespace

uint32_t side_colour(int side) {
  switch (side) {
    case 1:
      return 0xFF50A0FFu;
    case 2:
      return 0xFFFF6050u;
    case 3:
      return 0xFF60E060u;
    default:
      return 0xFFFFE040u;
  }
}

void draw_editor_map(Device& d, const Editor& editor) {
  const EditorView& view = editor.view();
  const double depth = view.depth();
  const double eye = kEditorGroundZ - depth;
  const glm::vec3 from(static_cast<float>(view.x), static_cast<float>(view.y),
                       static_cast<float>(eye));
  const glm::vec3 at(static_cast<float>(view.x), static_cast<float>(view.y),
                     static_cast<float>(eye + 1.0));
  const auto fov = static_cast<float>(view.fov_degrees() * 3.14159265358979323846 / 180.0);
  d.set_view_projection(
      glm::lookAtLH(from, at, glm::vec3(0.0f, 1.0f, 0.0f)),
      glm::perspectiveLH_NO(fov, static_cast<float>(kEditorAspect), static_cast<float>(depth * 0.5),
                            static_cast<float>(depth * 1.5)));
  draw_ground(d, kGroundSlot);

  const double px = view.map_per_pixel();
  d.set_world(glm::mat4(1.0f));
  map_frame(d, 0, 0, 500, 2 * px, kAreaEdgeColour);

  const std::vector<StageRecord>& records = editor.model().records();
  const std::vector<int>& selection = editor.model().selection();
  size_t next_selected = 0;
  const bool moving = editor.drag() == Drag::kMove;
  for (size_t i = 0; i < records.size(); ++i) {
    const StageRecord& r = records[i];
    const bool selected =
        next_selected < selection.size() && selection[next_selected] == static_cast<int>(i);
    if (selected) ++next_selected;
    const UnitKind* kind = unit_kind(r.kind);
    if (kind == nullptr) continue;
    double x = r.x;
    double y = r.y;
    if (selected && moving) {
      x += editor.drag_dx();
      y += editor.drag_dy();
    }
    const UnitType& body = unit_type(kind->main_type);
    // A unit too small to see far out is drawn at least a few pixels large.
    const double size = std::max(body.size / 10.0, 6.0 * px);
    const auto angle = static_cast<float>(r.heading_steps * kStepRadians);
    draw_sprite(d, static_cast<float>(x), static_cast<float>(y), static_cast<float>(kUnitDepth),
                angle, body.texture, body.cell, static_cast<float>(size), static_cast<float>(size));
    if (kind->child_type != -1) {
      const UnitType& child = unit_type(kind->child_type);
      const double child_size = std::max(child.size / 10.0, 4.0 * px);
      draw_sprite(d, static_cast<float>(x), static_cast<float>(y),
                  static_cast<float>(kUnitDepth - 0.5), angle, child.texture, child.cell,
                  static_cast<float>(child_size), static_cast<float>(child_size));
    }
    d.set_world(glm::mat4(1.0f));
    const double half = size / 2.0 + 2.0 * px;
    map_frame(d, x, y, half, (selected ? 3.0 : 1.5) * px, side_colour(r.side));
    if (selected) map_frame(d, x, y, half + 3.0 * px, 1.5 * px, kSelectedColour);
    // The way the unit faces, and where its order sends it.
    map_line(d, x, y, x - std::sin(angle) * half, y + std::cos(angle) * half, 2.0 * px,
             side_colour(r.side));
    double gx = r.goal_x;
    double gy = r.goal_y;
    const bool has_goal =
        r.mode == 2 || r.mode == 4 || (r.mode == 3 && slot_position(records, r.goal_x, gx, gy));
    if (has_goal && (selected || editor.model().selection().empty())) {
      map_line(d, x, y, gx, gy, 1.5 * px, selected ? kGoalColour : side_colour(r.side));
      map_frame(d, gx, gy, 3.0 * px, 1.5 * px, kGoalColour);
    }
  }

  // The cursor for keys and the gamepad: a small cross.
  const double cx = editor.cursor_x();
  const double cy = editor.cursor_y();
  map_line(d, cx - 8 * px, cy, cx + 8 * px, cy, 1.5 * px, kSelectedColour);
  map_line(d, cx, cy - 8 * px, cx, cy + 8 * px, 1.5 * px, kSelectedColour);
}

void draw_editor(Device& d, const Editor& editor, const Texts& texts) {
  d.begin_frame(0xFF282828u, 1.0f);
  d.set_text_face(texts.face());
  if (editor.screen() != EditorScreen::kStart) draw_editor_map(d, editor);
  draw_editor_panels(d, editor, texts);
}

}  // namespace quarvex
