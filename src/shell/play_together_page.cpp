#include "shell/play_together_page.h"

#include <utility>

#include "lang/texts.h"
#include "shell/player_name.h"

namespace quarvex {

void PlayTogetherPage::open(std::vector<std::string> lan_addresses) {
  lan_addresses_ = std::move(lan_addresses);
  go(PlayTogetherStep::kChoices, 0);
}

bool PlayTogetherPage::typing() const {
  return step_ == PlayTogetherStep::kName || step_ == PlayTogetherStep::kAddress ||
         step_ == PlayTogetherStep::kCode;
}

void PlayTogetherPage::go(PlayTogetherStep step, int row) {
  step_ = step;
  row_ = row;
  problem_ = nullptr;
}

int PlayTogetherPage::list_rows(const Settings& settings) const {
  switch (step_) {
    case PlayTogetherStep::kChoices:
      return kPlayRows;
    case PlayTogetherStep::kHostAddresses:
      return static_cast<int>(lan_addresses_.size());
    case PlayTogetherStep::kAddresses:
      return 1 + static_cast<int>(settings.addresses.size());
    case PlayTogetherStep::kName:
    case PlayTogetherStep::kAddress:
    case PlayTogetherStep::kCode:
      break;
  }
  return 0;
}

PlayTogetherOutcome PlayTogetherPage::key(MenuKey key, Settings& settings) {
  if (typing()) return entry_done(entry_.grid(key), settings);
  const int rows = list_rows(settings);
  switch (key) {
    case MenuKey::kUp:
    case MenuKey::kDown:
      if (rows == 0) return {};
      row_ = (row_ + (key == MenuKey::kUp ? rows - 1 : 1)) % rows;
      problem_ = nullptr;
      return {PlayTogetherOutcome::kMoved};
    case MenuKey::kChoose:
      return choose(settings);
    case MenuKey::kBack:
      if (step_ == PlayTogetherStep::kChoices) return {PlayTogetherOutcome::kLeft};
      go(PlayTogetherStep::kChoices, kind_ == NetworkRequest::kHost    ? kPlayHost
                                     : kind_ == NetworkRequest::kWatch ? kPlayWatch
                                                                       : kPlayJoin);
      return {PlayTogetherOutcome::kBack};
    case MenuKey::kLeft:
    case MenuKey::kRight:
    case MenuKey::kNone:
      break;
  }
  return {};
}

PlayTogetherOutcome PlayTogetherPage::choose(Settings& settings) {
  switch (step_) {
    case PlayTogetherStep::kChoices:
      if (row_ == kPlayName) {
        entry_.open(player_name(settings.player_name), kMaxNameCodePoints,
                    TextEntry::Filter::kLine);
        go(PlayTogetherStep::kName, 0);
        return {PlayTogetherOutcome::kConfirmed};
      }
      if (row_ == kPlayHost) {
        if (lan_addresses_.empty()) {
          problem_ = N_("Games are hosted from the desktop game or quarvex-server.");
          return {PlayTogetherOutcome::kDenied};
        }
        kind_ = NetworkRequest::kHost;
        go(PlayTogetherStep::kHostAddresses, 0);
        return {PlayTogetherOutcome::kConfirmed};
      }
      kind_ = row_ == kPlayWatch ? NetworkRequest::kWatch : NetworkRequest::kJoin;
      go(PlayTogetherStep::kAddresses, 0);
      return {PlayTogetherOutcome::kConfirmed};
    case PlayTogetherStep::kHostAddresses:
      if (row_ < 0 || row_ >= static_cast<int>(lan_addresses_.size())) return {};
      request_ = NetworkRequest{};
      request_.kind = NetworkRequest::kHost;
      request_.listen_address = lan_addresses_[static_cast<size_t>(row_)];
      request_.name = player_name(settings.player_name);
      return {PlayTogetherOutcome::kRequest};
    case PlayTogetherStep::kAddresses:
      if (row_ == 0) {
        entry_.open("", kMaxAddressCharacters, TextEntry::Filter::kLine);
        go(PlayTogetherStep::kAddress, 0);
        return {PlayTogetherOutcome::kConfirmed};
      }
      if (row_ > static_cast<int>(settings.addresses.size())) return {};
      return use_address(settings.addresses[static_cast<size_t>(row_ - 1)]);
    case PlayTogetherStep::kName:
    case PlayTogetherStep::kAddress:
    case PlayTogetherStep::kCode:
      break;
  }
  return {};
}

PlayTogetherOutcome PlayTogetherPage::use_address(const std::string& typed) {
  GameAddress address;
  if (const char* reason = parse_game_address(typed, address)) {
    problem_ = reason;
    return {PlayTogetherOutcome::kDenied};
  }
  address_ = typed;
  request_ = NetworkRequest{};
  request_.kind = kind_;
  request_.url = address.url();
  entry_.open("", kGameCodeLetters, TextEntry::Filter::kLetters);
  go(PlayTogetherStep::kCode, 0);
  return {PlayTogetherOutcome::kConfirmed};
}

PlayTogetherOutcome PlayTogetherPage::type(std::string_view utf8) {
  if (!typing()) return {};
  if (entry_.type(utf8).kind != TextEntryOutcome::kChanged) return {};
  problem_ = nullptr;
  return {PlayTogetherOutcome::kMoved};
}

PlayTogetherOutcome PlayTogetherPage::edit(EditKey key, Settings& settings) {
  if (!typing()) return {};
  return entry_done(entry_.edit(key), settings);
}

PlayTogetherOutcome PlayTogetherPage::entry_done(TextEntryOutcome outcome, Settings& settings) {
  switch (outcome.kind) {
    case TextEntryOutcome::kNone:
      return {};
    case TextEntryOutcome::kChanged:
      problem_ = nullptr;
      return {PlayTogetherOutcome::kMoved};
    case TextEntryOutcome::kMoved:
      return {PlayTogetherOutcome::kMoved};
    case TextEntryOutcome::kConfirmed:
      return confirm_text(settings);
    case TextEntryOutcome::kCancelled:
      if (step_ == PlayTogetherStep::kName) {
        go(PlayTogetherStep::kChoices, kPlayName);
      } else {
        go(PlayTogetherStep::kAddresses, 0);
      }
      return {PlayTogetherOutcome::kBack};
  }
  return {};
}

PlayTogetherOutcome PlayTogetherPage::confirm_text(Settings& settings) {
  switch (step_) {
    case PlayTogetherStep::kName:
      // An emptied name goes back to the system's user name.
      settings.player_name = clean_line(entry_.text(), kMaxNameCodePoints);
      go(PlayTogetherStep::kChoices, kPlayName);
      return {PlayTogetherOutcome::kSettings};
    case PlayTogetherStep::kAddress:
      return use_address(entry_.text());
    case PlayTogetherStep::kCode:
      if (entry_.text().size() != kGameCodeLetters) {
        problem_ = N_("The game's code has six letters.");
        return {PlayTogetherOutcome::kDenied};
      }
      request_.code = entry_.text();
      request_.name = player_name(settings.player_name);
      remember_address(settings.addresses, clean_line(address_, kMaxAddressCharacters));
      return {PlayTogetherOutcome::kRequest};
    case PlayTogetherStep::kChoices:
    case PlayTogetherStep::kHostAddresses:
    case PlayTogetherStep::kAddresses:
      break;
  }
  return {};
}

}  // namespace quarvex
