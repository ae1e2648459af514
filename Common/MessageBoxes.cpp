#include "Common/MessageBoxes.h"

#include <iostream>

namespace skylog {

void ConsoleMessageBoxes::Warning(std::string_view text) {
    std::cerr << "Attention : " << text << '\n';
}
void ConsoleMessageBoxes::Information(std::string_view text) { std::cerr << text << '\n'; }
bool ConsoleMessageBoxes::Confirmation(std::string_view text) {
    std::cerr << text << (answer_ ? " (Oui)" : " (Non)") << '\n';
    return answer_;
}

std::vector<std::string> RecordingMessageBoxes::Warnings() const {
    std::vector<std::string> out;
    for (const auto& s : shown)
        if (s.kind == Shown::kWarning) out.push_back(s.text);
    return out;
}

}  // namespace skylog
