#pragma once
// The three message boxes of the system, behind an interface: the windows implement
// it with real dialogs, the command-line program writes to standard error and
// answers questions with a default, tests record what was shown. Each run is given
// one (its reporter) and hands it to the objects that may warn.

#include <string>
#include <string_view>
#include <vector>

namespace skylog {

class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    virtual void Warning(std::string_view text) = 0;
    virtual void Information(std::string_view text) = 0;
    virtual bool Confirmation(std::string_view text) = 0;
};

// Writes to standard error; questions get the fixed answer given at construction.
class ConsoleMessageBoxes : public IMessageBoxes {
public:
    explicit ConsoleMessageBoxes(bool answer = false) : answer_(answer) {}
    void Warning(std::string_view text) override;
    void Information(std::string_view text) override;
    bool Confirmation(std::string_view text) override;

private:
    bool answer_;
};

// Keeps every box shown, for tests.
class RecordingMessageBoxes : public IMessageBoxes {
public:
    struct Shown {
        enum Kind { kWarning, kInformation, kConfirmation } kind;
        std::string text;
    };
    void Warning(std::string_view text) override { shown.push_back({Shown::kWarning, std::string(text)}); }
    void Information(std::string_view text) override {
        shown.push_back({Shown::kInformation, std::string(text)});
    }
    bool Confirmation(std::string_view text) override {
        shown.push_back({Shown::kConfirmation, std::string(text)});
        return answer;
    }
    [[nodiscard]] std::vector<std::string> Warnings() const;

    std::vector<Shown> shown;
    bool answer = false;
};

}  // namespace skylog
