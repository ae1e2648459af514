#pragma once
// A small tool window that the user cannot close: a message centred over the window
// and, when IsProgressBar is on, a progress bar from 0 to 100 along the bottom. It is
// the window of a task's progress (IProgress): shown without being modal while the
// task works.

#include <QWidget>

#include "Common/Progress.h"

class QLabel;
class QProgressBar;

namespace skylog::forms {

class TSimpleMessageFrm : public QWidget, public IProgress {
    Q_OBJECT
    Q_PROPERTY(bool IsProgressBar READ IsProgressBar WRITE SetIsProgressBar)
public:
    explicit TSimpleMessageFrm(QWidget* parent = nullptr);

    [[nodiscard]] bool IsProgressBar() const { return isProgressBar_; }
    void SetIsProgressBar(bool on);
    void SetMessage(const QString& text);

    // IProgress: each change is painted at once, the task holding the event loop. A run
    // shows the window with its caption and the progress bar, and hides it at its end.
    void Begin(std::string_view caption) override;
    void End() override;
    void SetLabel(std::string_view text) override;
    void SetMaximum(int maximum) override;
    void SetPosition(int position) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* message_;
    QProgressBar* bar_;
    bool isProgressBar_ = true;
};

}  // namespace skylog::forms
