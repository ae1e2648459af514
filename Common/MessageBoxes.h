#pragma once
// The three message boxes of the system, behind an interface: the windows implement
// it with real dialogs, the command-line program writes to standard error and
// answers questions with a default, tests record what was shown.

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

// The process-wide boxes; null restores the console implementation. The object must
// outlive its installation. RAII helper for tests below.
void SetMessageBoxes(IMessageBoxes* boxes);
[[nodiscard]] IMessageBoxes& MessageBoxes();

class ScopedMessageBoxes {
public:
    explicit ScopedMessageBoxes(IMessageBoxes& boxes) { SetMessageBoxes(&boxes); }
    ~ScopedMessageBoxes() { SetMessageBoxes(nullptr); }
    ScopedMessageBoxes(const ScopedMessageBoxes&) = delete;
    ScopedMessageBoxes& operator=(const ScopedMessageBoxes&) = delete;
};

void ShowWarning(std::string_view text);
void ShowInformation(std::string_view text);
[[nodiscard]] bool AskConfirmation(std::string_view text);

}  // namespace skylog
