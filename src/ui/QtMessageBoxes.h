#pragma once

#include "shared/MessageBoxes.h"

namespace corvane::ui {

// Real boxes, modal, titled "Corvane v1.1". A caller that runs on a timer stops or guards the timer
// first: the box runs its own event loop, and a tick must not run again underneath it.
class QtMessageBoxes final : public MessageBoxes {
  public:
    void Show(BoxIcon icon, const std::string& text) override;
};

}  // namespace corvane::ui
