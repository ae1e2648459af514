#pragma once
// The progress window of a file collection: an animation of a file going from one
// folder to another, the step, a progress bar and Cancel. Its timer starts the
// collection's run once, at its first tick while shown, then counts down to closing as
// the run asked. The run is the engine's; the window only shows it and lets the event
// loop run once per file, which is where Cancel is seen.

#include <QDialog>
#include <exception>

#include "Common/Progress.h"
#include "tasks/TaskServices.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace skylog::forms {

// A sheet of paper carried from one folder to the other, over and over; of our own.
class TFileCopyAnimation : public QWidget {
    Q_OBJECT
public:
    explicit TFileCopyAnimation(QWidget* parent = nullptr);
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer* timer_;
    int frame_ = 8;  // the first picture shows the sheet on its way
};

class TTaskGetFilesFrm : public QDialog, public IProgress {
    Q_OBJECT
public:
    // work: the collection's run; it must outlive the window.
    explicit TTaskGetFilesFrm(const TaskWork& work, QWidget* parent = nullptr);

    // Shows the window modally until it closes; a failure of the run goes on from here.
    void Execute();
    // One tick of the window's timer.
    void OnTimer();
    void CancelBtnClick();
    [[nodiscard]] int CloseCountdown() const { return countdown_; }

    // IProgress, each change painted at once.
    void Begin(std::string_view caption) override;
    void SetLabel(std::string_view text) override;
    void SetMaximum(int maximum) override;
    void SetPosition(int position) override;
    [[nodiscard]] bool CancelRequested() override;
    void SetCancelEnabled(bool enabled) override;
    void SetCloseCountdown(int ticks) override;

public Q_SLOTS:
    // Cancel, Escape and the close box: the run stops before its next file and the
    // window closes once the run has returned (at once when no run is going on).
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void runOnce();

    const TaskWork& work_;
    bool started_ = false;
    bool running_ = false;
    bool cancelled_ = false;
    int countdown_ = -1;
    std::exception_ptr failure_;

    QLabel* step_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    QTimer* timer_;
};

}  // namespace skylog::forms
