#pragma once
// A resizable text window for reports, with an OK button. Its close timer, off by
// default, ticks every second and closes the window at the 60th tick.

#include <QDialog>
#include <string>
#include <vector>

class QPlainTextEdit;
class QTimer;

namespace skylog::forms {

class TSimpleMemoFrm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCloseTicks = 60;
    static constexpr int kTickMs = 1000;

    explicit TSimpleMemoFrm(QWidget* parent = nullptr);
    void SetLines(const std::vector<std::string>& lines);
    // Switching the timer on starts counting from 0.
    void SetCloseTimer(bool on);
    [[nodiscard]] bool CloseTimerOn() const;
    [[nodiscard]] int Ticks() const { return ticks_; }

public Q_SLOTS:
    void OnCloseTimer();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPlainTextEdit* memo_;
    QTimer* closeTimer_;
    int ticks_ = 0;
    bool centred_ = false;
};

}  // namespace skylog::forms
