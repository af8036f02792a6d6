#pragma once
// Where the editor looks: the game's own top-down map view, at the game's
// zoom levels and, for a view of the whole map, further out. The renderer
// builds its camera from the same numbers, so that a point of the picture
// and a point of the map are found the same way by the drawing and by the
// mouse.

#include <algorithm>
#include <cmath>

namespace quarvex {

// The game's camera: 20 above the eye plane, the ground at depth 93, a field
// of view of 50 degrees less the zoom (-20..20).
constexpr double kEditorEyeZ = 20.0;
constexpr double kEditorGroundZ = 93.0;
constexpr double kEditorAspect = 1.33;
constexpr int kEditorZoomIn = 20;
constexpr int kGameZoomOut = -20;
// Beyond the game's farthest zoom the eye rises, 10 % a step, until the
// whole map fits the picture.
constexpr int kEditorZoomOut = -46;

struct EditorView {
  double x = 0.0;
  double y = 0.0;
  int zoom = kGameZoomOut;

  // The distance from the eye to the ground.
  double depth() const {
    const int lift = std::max(0, kGameZoomOut - zoom);
    return (kEditorGroundZ - kEditorEyeZ) * std::pow(1.1, lift);
  }
  // The vertical field of view, in degrees.
  double fov_degrees() const { return 50.0 - std::max(zoom, kGameZoomOut); }
  // Map units from the middle of the picture to its top edge.
  double half_height() const {
    return depth() * std::tan(fov_degrees() * 3.14159265358979323846 / 360.0);
  }
  // Map units per pixel of the 640x480 picture.
  double map_per_pixel() const { return half_height() / 240.0; }

  // The map point under a picture pixel (the map's +y is up the picture).
  void to_map(double px, double py, double& mx, double& my) const {
    mx = x + (px - 320.0) / 320.0 * half_height() * kEditorAspect;
    my = y + (240.0 - py) / 240.0 * half_height();
  }
  void to_picture(double mx, double my, double& px, double& py) const {
    const double h = half_height();
    px = 320.0 + (mx - x) / (h * kEditorAspect) * 320.0;
    py = 240.0 - (my - y) / h * 240.0;
  }
  void zoom_by(int steps) { zoom = std::clamp(zoom + steps, kEditorZoomOut, kEditorZoomIn); }
};

}  // namespace quarvex
