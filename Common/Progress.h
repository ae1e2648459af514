#pragma once
// Progress of a long operation (an import, a task's run), shown by whoever started it:
// a window repaints in SetLabel and SetPosition and lets its message loop run once in
// CancelRequested, which is where a click on Cancel is seen; the command line draws a
// line on a terminal; tests record. Every operation but the three first has a default
// that does nothing, so that a sink implements only what it shows, and an operation
// added later (with such a default) breaks no sink.

#include <string_view>

namespace skylog {

class IProgress {
public:
    virtual ~IProgress() = default;
    // A run of work begins (a task window opens with this caption) and ends; every
    // Begin is matched by an End, also when the run fails.
    virtual void Begin(std::string_view /*caption*/) {}
    virtual void End() {}
    virtual void SetLabel(std::string_view text) = 0;
    virtual void SetMaximum(int maximum) = 0;
    virtual void SetPosition(int position) = 0;
    [[nodiscard]] virtual bool CancelRequested() { return false; }
    virtual void SetCancelEnabled(bool /*enabled*/) {}
    // Once the run is over, its window closes itself after so many ticks of one second:
    // a short pause after work done, a longer one after a message to be read.
    virtual void SetCloseCountdown(int /*ticks*/) {}
};

// Shows nothing and never cancels.
class TNullProgress final : public IProgress {
public:
    void SetLabel(std::string_view) override {}
    void SetMaximum(int) override {}
    void SetPosition(int) override {}
};

// Begin on construction, End on destruction: a run's End is not forgotten when it
// throws.
class TProgressRun {
public:
    TProgressRun(IProgress& progress, std::string_view caption) : progress_(progress) { progress_.Begin(caption); }
    ~TProgressRun() { progress_.End(); }
    TProgressRun(const TProgressRun&) = delete;
    TProgressRun& operator=(const TProgressRun&) = delete;

private:
    IProgress& progress_;
};

}  // namespace skylog
