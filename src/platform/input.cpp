#include "platform/input.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quarvex {

namespace {

uint8_t chord_mods(uint16_t sdl_mods) {
  uint8_t mods = 0;
  if ((sdl_mods & KMOD_CTRL) != 0) mods |= kModCtrl;
  if ((sdl_mods & KMOD_ALT) != 0) mods |= kModAlt;
  if ((sdl_mods & KMOD_SHIFT) != 0) mods |= kModShift;
  return mods;
}

int16_t clamp_coordinate(int v) {
  return static_cast<int16_t>(std::clamp(v, -30000, 30000));
}

// Copies UTF-8 text, cut before a character that would not fit whole.
void copy_whole_characters(const char* from, char* to, size_t capacity) {
  size_t n = 0;
  while (from[n] != '\0' && n + 1 < capacity) ++n;
  if (from[n] != '\0') {
    // Back to the start of the character that was cut.
    while (n > 0 && (static_cast<unsigned char>(from[n]) & 0xC0) == 0x80) --n;
  }
  std::memcpy(to, from, n);
  to[n] = '\0';
}

// The two inputs (minus, plus) an axis feeds; the triggers feed one.
int axis_first_input(int axis) {
  switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX:
      return kPadLeftXMinus;
    case SDL_CONTROLLER_AXIS_LEFTY:
      return kPadLeftYMinus;
    case SDL_CONTROLLER_AXIS_RIGHTX:
      return kPadRightXMinus;
    case SDL_CONTROLLER_AXIS_RIGHTY:
      return kPadRightYMinus;
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT:
      return kPadLeftTrigger;
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT:
      return kPadRightTrigger;
    default:
      return -1;
  }
}

bool is_trigger_input(int input) {
  return input == kPadLeftTrigger || input == kPadRightTrigger;
}

SDL_GameControllerAxis axis_of_input(int input) {
  switch (input) {
    case kPadLeftXMinus:
    case kPadLeftXPlus:
      return SDL_CONTROLLER_AXIS_LEFTX;
    case kPadLeftYMinus:
    case kPadLeftYPlus:
      return SDL_CONTROLLER_AXIS_LEFTY;
    case kPadRightXMinus:
    case kPadRightXPlus:
      return SDL_CONTROLLER_AXIS_RIGHTX;
    case kPadRightYMinus:
    case kPadRightYPlus:
      return SDL_CONTROLLER_AXIS_RIGHTY;
    case kPadLeftTrigger:
      return SDL_CONTROLLER_AXIS_TRIGGERLEFT;
    default:
      return SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
  }
}

}  // namespace

bool start_gamepads(std::string& error) {
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    error = SDL_GetError();
    return false;
  }
#ifdef __EMSCRIPTEN__
  // SDL knows no browser gamepad by name; browsers give nearly every pad the
  // W3C "standard" layout, which this maps.
  SDL_GameControllerAddMapping(
      "default,Browser gamepad,a:b0,b:b1,x:b2,y:b3,leftshoulder:b4,rightshoulder:b5,"
      "lefttrigger:b6,righttrigger:b7,back:b8,start:b9,leftstick:b10,rightstick:b11,"
      "dpup:b12,dpdown:b13,dpleft:b14,dpright:b15,guide:b16,leftx:a0,lefty:a1,rightx:a2,"
      "righty:a3");
#endif
  return true;
}

Input::~Input() {
  for (Pad& pad : pads_) {
    if (pad.controller != nullptr) SDL_GameControllerClose(pad.controller);
  }
}

void Input::set_dead_zone(double fraction) {
  const double clamped = std::clamp(fraction, 0.0, 1.0);
  dead_zone_ = static_cast<int16_t>(std::lround(clamped * 32767.0));
}

bool Input::axis_input_down(int input, int16_t value) const {
  const bool minus = !is_trigger_input(input) && (input - kPadButtons) % 2 == 0;
  return minus ? value < -dead_zone_ : value > dead_zone_;
}

int Input::poll(InputEvent* events, int capacity) {
  int n = 0;
  auto add = [&](const InputEvent& e) {
    if (n < capacity) events[n++] = e;
  };
  SDL_Event e;
  // An axis event can give two inputs; stop early enough that both fit.
  while (n + 2 <= capacity && SDL_PollEvent(&e) != 0) {
    InputEvent out;
    switch (e.type) {
      case SDL_QUIT:
        out.kind = InputKind::kQuit;
        add(out);
        break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
          out.kind = InputKind::kFocusLost;
          add(out);
        }
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        out.kind = e.type == SDL_KEYDOWN ? InputKind::kKeyDown : InputKind::kKeyUp;
        out.key.scancode = static_cast<int16_t>(e.key.keysym.scancode);
        out.key.mods = chord_mods(e.key.keysym.mod);
        out.repeat = e.key.repeat != 0;
        add(out);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        out.kind = e.type == SDL_MOUSEBUTTONUP ? InputKind::kClick : InputKind::kMouseDown;
        out.x = clamp_coordinate(e.button.x);
        out.y = clamp_coordinate(e.button.y);
        out.button = e.button.button;
        out.key.mods = chord_mods(static_cast<uint16_t>(SDL_GetModState()));
        add(out);
        break;
      case SDL_MOUSEMOTION:
        out.kind = InputKind::kMouseMove;
        out.x = clamp_coordinate(e.motion.x);
        out.y = clamp_coordinate(e.motion.y);
        add(out);
        break;
      case SDL_MOUSEWHEEL: {
        int notches = e.wheel.y;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
        if (notches == 0) break;
        out.kind = InputKind::kWheel;
        out.wheel = static_cast<int8_t>(std::clamp(notches, -8, 8));
        int mx = 0;
        int my = 0;
        SDL_GetMouseState(&mx, &my);
        out.x = clamp_coordinate(mx);
        out.y = clamp_coordinate(my);
        out.key.mods = chord_mods(static_cast<uint16_t>(SDL_GetModState()));
        add(out);
        break;
      }
      case SDL_TEXTINPUT:
        out.kind = InputKind::kText;
        copy_whole_characters(e.text.text, out.text, sizeof out.text);
        if (out.text[0] != '\0') add(out);
        break;
      case SDL_CONTROLLERDEVICEADDED: {
        auto free_pad = std::find_if(pads_.begin(), pads_.end(),
                                     [](const Pad& p) { return p.controller == nullptr; });
        if (free_pad == pads_.end()) break;
        SDL_GameController* controller = SDL_GameControllerOpen(e.cdevice.which);
        if (controller == nullptr) break;
        const int32_t instance = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
        // SDL also announces the pads that were there before it was asked.
        auto known = std::find_if(pads_.begin(), pads_.end(),
                                  [&](const Pad& p) { return p.instance == instance; });
        if (known != pads_.end()) {
          SDL_GameControllerClose(controller);
          break;
        }
        *free_pad = Pad{controller, instance, {}};
        break;
      }
      case SDL_CONTROLLERDEVICEREMOVED:
        for (Pad& pad : pads_) {
          if (pad.controller == nullptr || pad.instance != e.cdevice.which) continue;
          SDL_GameControllerClose(pad.controller);
          pad = Pad{};
        }
        break;
      case SDL_CONTROLLERBUTTONDOWN:
      case SDL_CONTROLLERBUTTONUP:
        if (e.cbutton.button >= kPadButtons) break;
        out.kind = e.type == SDL_CONTROLLERBUTTONDOWN ? InputKind::kPadDown : InputKind::kPadUp;
        out.pad_input = e.cbutton.button;
        add(out);
        break;
      case SDL_CONTROLLERAXISMOTION: {
        const int first = axis_first_input(e.caxis.axis);
        if (first < 0) break;
        for (Pad& pad : pads_) {
          if (pad.controller == nullptr || pad.instance != e.caxis.which) continue;
          const int last = is_trigger_input(first) ? first : first + 1;
          for (int input = first; input <= last; ++input) {
            const bool now = axis_input_down(input, e.caxis.value);
            bool& was = pad.axis_down[input - kPadButtons];
            if (now == was) continue;
            was = now;
            out.kind = now ? InputKind::kPadDown : InputKind::kPadUp;
            out.pad_input = static_cast<int16_t>(input);
            add(out);
          }
        }
        break;
      }
      default:
        break;
    }
  }
  return n;
}

const uint8_t* Input::keyboard(int& count) const {
  return SDL_GetKeyboardState(&count);
}

void Input::pad_state(std::array<bool, kPadInputs>& down) const {
  down.fill(false);
  for (const Pad& pad : pads_) {
    if (pad.controller == nullptr) continue;
    for (int b = 0; b < kPadButtons; ++b) {
      if (SDL_GameControllerGetButton(pad.controller, static_cast<SDL_GameControllerButton>(b))) {
        down[b] = true;
      }
    }
    for (int input = kPadButtons; input < kPadInputs; ++input) {
      const int16_t value = SDL_GameControllerGetAxis(pad.controller, axis_of_input(input));
      if (axis_input_down(input, value)) down[input] = true;
    }
  }
}

int Input::pads_open() const {
  return static_cast<int>(
      std::count_if(pads_.begin(), pads_.end(), [](const Pad& p) { return p.controller; }));
}

}  // namespace quarvex
