#pragma once

#include "session/DirectPlay.h"

namespace corvane::ui {

// The small dialog the TCP/IP connection shows at every search: the session host's address,
// "host" or "host:port". Cancel cancels the search.
class AddressDialog final : public session::AddressPrompt {
  public:
    std::optional<std::string> AskHostAddress() override;
};

}  // namespace corvane::ui
