#pragma once
// The Play together page of the title menu: Host a game, Join a game, Watch
// a game and the player's name. Joining and watching ask for the address
// (a new one, or one of those joined last) and the game's code; hosting for
// which of the machine's addresses to listen on. The page ends in a
// NetworkRequest; the shell hands it on.

#include <string>
#include <string_view>
#include <vector>

#include "shell/menu_key.h"
#include "shell/network_request.h"
#include "shell/settings.h"
#include "shell/text_entry.h"

namespace quarvex {

enum class PlayTogetherStep : uint8_t {
  kChoices,        // Host, Join, Watch, Name
  kName,           // typing the name
  kHostAddresses,  // the machine's addresses to host on
  kAddresses,      // "New address" and the addresses joined last
  kAddress,        // typing an address
  kCode,           // typing the game's code
};

enum PlayTogetherRow : int { kPlayHost, kPlayJoin, kPlayWatch, kPlayName, kPlayRows };

struct PlayTogetherOutcome {
  enum Kind : uint8_t {
    kNone,
    kMoved,
    kConfirmed,  // a step went on
    kDenied,     // the page says why (problem())
    kBack,       // a step back, or off the page from its first step
    kLeft,       // off the page
    kSettings,   // the name or the addresses changed: save them
    kRequest,    // request() is ready
  };
  Kind kind = kNone;
};

class PlayTogetherPage {
 public:
  // `lan_addresses`: the machine's addresses to host on, loopback last;
  // empty where the game cannot host (the browser).
  void open(std::vector<std::string> lan_addresses);

  PlayTogetherStep step() const { return step_; }
  // The row with the focus in the lists.
  int row() const { return row_; }
  // Whether the text entry is open, and the entry.
  bool typing() const;
  const TextEntry& entry() const { return entry_; }
  const std::vector<std::string>& lan_addresses() const { return lan_addresses_; }
  // Why the last step was refused, English for the catalogue; null when
  // it was not.
  const char* problem() const { return problem_; }
  // True while joining as a spectator.
  bool watching() const { return kind_ == NetworkRequest::kWatch; }
  const NetworkRequest& request() const { return request_; }

  // The lists' keys; while typing, the grid's.
  PlayTogetherOutcome key(MenuKey key, Settings& settings);
  // The keyboard while typing.
  PlayTogetherOutcome type(std::string_view utf8);
  PlayTogetherOutcome edit(EditKey key, Settings& settings);

 private:
  PlayTogetherOutcome choose(Settings& settings);
  PlayTogetherOutcome entry_done(TextEntryOutcome outcome, Settings& settings);
  PlayTogetherOutcome confirm_text(Settings& settings);
  PlayTogetherOutcome use_address(const std::string& typed);
  void go(PlayTogetherStep step, int row);
  int list_rows(const Settings& settings) const;

  PlayTogetherStep step_ = PlayTogetherStep::kChoices;
  int row_ = 0;
  TextEntry entry_;
  std::vector<std::string> lan_addresses_;
  NetworkRequest::Kind kind_ = NetworkRequest::kJoin;
  std::string address_;  // as typed, remembered once the code is given
  NetworkRequest request_;
  const char* problem_ = nullptr;
};

}  // namespace quarvex
