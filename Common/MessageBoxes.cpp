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

namespace {
IMessageBoxes*& installed() {
    static IMessageBoxes* boxes = nullptr;
    return boxes;
}
}  // namespace

void SetMessageBoxes(IMessageBoxes* boxes) { installed() = boxes; }

IMessageBoxes& MessageBoxes() {
    static ConsoleMessageBoxes console;
    return installed() ? *installed() : console;
}

void ShowWarning(std::string_view text) { MessageBoxes().Warning(text); }
void ShowInformation(std::string_view text) { MessageBoxes().Information(text); }
bool AskConfirmation(std::string_view text) { return MessageBoxes().Confirmation(text); }

}  // namespace skylog
