#pragma once
// The message body viewer: a block's body as text and as hexadecimal bytes side by
// side, 16 bytes a row, each byte in the colour of its class, and the details of the
// byte under the caret of the hexadecimal pane. Modal; it changes nothing in the block.
// The rules without widgets are in ViewBodyModel.

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "forms/ViewBodyModel.h"

class QComboBox;
class QLabel;
class QTextEdit;
class QWidget;

namespace skylog {
class TDCPDataBloc;
}

namespace skylog::forms {

inline constexpr const char* kViewBodyCaption = "Corps du message";

class TViewBodyFrm : public QDialog {
    Q_OBJECT
public:
    explicit TViewBodyFrm(QWidget* owner = nullptr);

    // Fills both panes from a decoded block. The viewer keeps a copy of the body and
    // its classes: the automatic mode's tasks may reload the day while it is open.
    void ShowBody(const TDCPDataBloc& block);
    // The panes' widths from BodyViewPanel's width.
    void FormResize();
    // The byte under the caret of HexBodyMemo, then its details.
    void HexBodyMemoSelectionChange();
    void ShowByteDetail();

    // The block's scenarios, in the order of its events, for ScenarioCmbBx.
    void SetScenarios(std::vector<TBodyScenario> scenarios);
    // Highlights the characters of scenario `index` (-1: none).
    void ChooseScenario(int index);
    // Gives characters of the body a highlighted background in both panes, without
    // changing their class colours, and scrolls the first into view; the status says
    // which characters they are.
    void Highlight(const TBodyChars& chars);
    [[nodiscard]] const std::vector<TBodyRange>& Highlighted() const { return highlighted_; }

    [[nodiscard]] const TDCPDataBloc* Block() const { return block_; }
    // The shown block's header: what the scenario window's block is compared with.
    [[nodiscard]] const std::string& BlockHeader() const { return blockHeader_; }
    [[nodiscard]] int32_t SelectedByte() const { return selectedByte_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const TDCPDataBloc* block_ = nullptr;  // not owned; only compared once shown
    std::string blockHeader_;
    std::vector<uint8_t> body_;
    std::vector<TBodyScenario> scenarios_;
    std::vector<TBodyRange> highlighted_;
    int32_t selectedByte_ = -1;

    QComboBox* scenarioChoice_;
    QLabel* highlightStatus_;
    QWidget* bodyViewPanel_;
    QTextEdit* hexBodyMemo_;
    QTextEdit* bodyMemo_;
    QLabel* simpleByte_;
    QLabel* byteDec64_;
    QLabel* bytes34_;
};

}  // namespace skylog::forms
