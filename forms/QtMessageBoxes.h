#pragma once
// The engine's message boxes as Qt message boxes, over the window that is active.

#include "Common/MessageBoxes.h"

namespace skylog::forms {

class TQtMessageBoxes : public IMessageBoxes {
public:
    void Warning(std::string_view text) override;
    void Information(std::string_view text) override;
    bool Confirmation(std::string_view text) override;
};

}  // namespace skylog::forms
