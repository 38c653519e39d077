#pragma once
// The one way the program tells its user something in a box. Windows show a real box titled
// kBoxTitle; tests and headless runs record the boxes instead.

#include <string>
#include <vector>

namespace corvane {

inline constexpr const char* kBoxTitle = "Corvane v1.1";

enum class BoxIcon { Information, Exclamation };

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // Returns when the user has dismissed the box.
    virtual void Show(BoxIcon icon, const std::string& text) = 0;
};

struct ShownBox {
    BoxIcon icon;
    std::string text;
    bool operator==(const ShownBox&) const = default;
};

class RecordedMessageBoxes final : public MessageBoxes {
  public:
    void Show(BoxIcon icon, const std::string& text) override { shown.push_back({icon, text}); }
    std::vector<ShownBox> shown;
};

}  // namespace corvane
