#include "forms/ViewBodyDlg.h"

#include <QComboBox>
#include <QEvent>
#include <QScrollBar>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include "dcp/UDCPList.h"
#include "forms/FormsSupport.h"
#include "forms/ViewBodyModel.h"

namespace skylog::forms {
namespace {

constexpr int kPanelBorder = 3;
constexpr int kZoomPanelHeight = 40;
constexpr int kMemoPointSize = 10;

QTextEdit* memo(QWidget* parent, const char* name) {
    auto* edit = Named(new QTextEdit(parent), name);
    edit->setReadOnly(true);
    // Read-only, but with a caret the arrows move: the selected byte follows it.
    edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    edit->setAcceptRichText(false);
    edit->setLineWrapMode(QTextEdit::NoWrap);
    edit->setUndoRedoEnabled(false);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(kMemoPointSize);
    edit->setFont(font);
    return edit;
}

QLabel* label(QWidget* parent, const char* name, const char* text) {
    auto* shown = new QLabel(Q(text), parent);
    if (name) shown->setObjectName(QString::fromLatin1(name));
    return shown;
}

// One document edit for the whole text and one char format per colour run.
void fill(QTextEdit& edit, const QString& text, const std::vector<TColourRun>& runs, size_t (*offset)(size_t),
          size_t charsPerByte) {
    edit.clear();
    edit.setPlainText(text);
    QTextCursor cursor(edit.document());
    cursor.beginEditBlock();
    for (const TColourRun& run : runs) {
        QTextCharFormat format;
        format.setForeground(QColor(run.Colour.Red, run.Colour.Green, run.Colour.Blue));
        const size_t last = run.First + run.Count - 1;
        cursor.setPosition(static_cast<int>(offset(run.First)));
        cursor.setPosition(static_cast<int>(offset(last) + charsPerByte), QTextCursor::KeepAnchor);
        cursor.setCharFormat(format);
    }
    cursor.endEditBlock();
    edit.setTextCursor(QTextCursor(edit.document()));
}

// The background of highlighted characters: a marker's yellow, which leaves every class
// colour readable.
const QColor kHighlightBackground(255, 236, 140);

void highlight(QTextEdit& edit, const std::vector<TBodyRange>& ranges, size_t (*offset)(size_t),
               size_t charsPerByte) {
    QList<QTextEdit::ExtraSelection> selections;
    for (const TBodyRange& range : ranges) {
        if (range.Count == 0) continue;
        QTextEdit::ExtraSelection selection;
        selection.format.setBackground(kHighlightBackground);
        selection.cursor = QTextCursor(edit.document());
        selection.cursor.setPosition(static_cast<int>(offset(range.First)));
        // The hex pane's trailing space of the last byte stays plain.
        selection.cursor.setPosition(static_cast<int>(offset(range.First + range.Count - 1) + charsPerByte -
                                                      (charsPerByte > 1 ? 1 : 0)),
                                     QTextCursor::KeepAnchor);
        selections.append(selection);
    }
    edit.setExtraSelections(selections);
    if (selections.isEmpty()) return;
    // Into view without moving the caret, which chooses the byte detailed below.
    QTextCursor first(edit.document());
    first.setPosition(selections.first().cursor.selectionStart());
    const QRect at = edit.cursorRect(first);
    if (at.top() < 0 || at.bottom() > edit.viewport()->height()) {
        QScrollBar* bar = edit.verticalScrollBar();
        bar->setValue(bar->value() + at.top() - edit.viewport()->height() / 3);
    }
}

}  // namespace

TViewBodyFrm::TViewBodyFrm(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("TViewBodyFrm"));
    setWindowTitle(Q(kViewBodyCaption));
    resize(600, 369);

    auto* scenarioPanel = Named(new QWidget(this), "ScenarioPanel");
    scenarioChoice_ = Named(new QComboBox(scenarioPanel), "ScenarioCmbBx");
    scenarioChoice_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    scenarioChoice_->addItem(Q(kNoScenarioChosen));
    connect(scenarioChoice_, &QComboBox::activated, this, [this](int entry) { ChooseScenario(entry - 1); });
    highlightStatus_ = label(scenarioPanel, "HighlightLbl", "");
    highlightStatus_->setWordWrap(true);
    highlightStatus_->hide();
    auto* scenarioRow = new QHBoxLayout;
    scenarioRow->addWidget(label(scenarioPanel, "ScenarioLbl", "Scénario :"));
    scenarioRow->addWidget(scenarioChoice_, 1);
    auto* scenarioLayout = new QVBoxLayout(scenarioPanel);
    scenarioLayout->setContentsMargins(kPanelBorder + 3, kPanelBorder + 3, kPanelBorder + 3, 0);
    scenarioLayout->setSpacing(2);
    scenarioLayout->addLayout(scenarioRow);
    scenarioLayout->addWidget(highlightStatus_);

    bodyViewPanel_ = Named(new QWidget(this), "BodyViewPanel");
    // Declared hex first, as the panes' order of alignment (right, then left).
    hexBodyMemo_ = memo(bodyViewPanel_, "HexBodyMemo");
    bodyMemo_ = memo(bodyViewPanel_, "BodyMemo");
    bodyViewPanel_->installEventFilter(this);
    connect(hexBodyMemo_, &QTextEdit::cursorPositionChanged, this, &TViewBodyFrm::HexBodyMemoSelectionChange);

    auto* zoom = Named(new QWidget(this), "ByteZoomPanel");
    zoom->setMinimumHeight(kZoomPanelHeight);
    simpleByte_ = label(zoom, "SimpleByteLbl", "-");
    byteDec64_ = label(zoom, "ByteDec64Lbl", "-");
    bytes34_ = label(zoom, "Bytes34Lbl", "-");
    for (QLabel* value : {simpleByte_, byteDec64_, bytes34_}) value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    simpleByte_->setMinimumWidth(110);
    auto* first = new QHBoxLayout;
    first->addWidget(label(zoom, "Label1", "Octet :"));
    first->addWidget(simpleByte_);
    first->addSpacing(24);
    first->addWidget(label(zoom, "Label2", "Octet - 64 :"));
    first->addWidget(byteDec64_);
    first->addStretch();
    auto* second = new QHBoxLayout;
    second->addWidget(label(zoom, "Label3", "3 octets en 4/3 :"));
    second->addWidget(bytes34_);
    second->addStretch();
    auto* zoomLayout = new QVBoxLayout(zoom);
    zoomLayout->setContentsMargins(8, 3, 8, 3);
    zoomLayout->setSpacing(2);
    zoomLayout->addLayout(first);
    zoomLayout->addLayout(second);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(scenarioPanel);
    layout->addWidget(bodyViewPanel_, 1);
    layout->addWidget(zoom);
}

void TViewBodyFrm::ShowBody(const TDCPDataBloc& block) {
    block_ = &block;
    blockHeader_ = block.Header;
    const std::string_view record = block.RecordBody();
    body_.assign(record.begin(), record.end());

    QString text, hex;
    bool firstRow = true;
    for (const TBodyRow& row : BodyRows(body_)) {
        if (!firstRow) {
            text += QLatin1Char('\n');
            hex += QLatin1Char('\n');
        }
        firstRow = false;
        text += Q(row.Text);
        hex += QLatin1String(row.Hex.data(), static_cast<qsizetype>(row.Hex.size()));
    }
    const std::vector<TColourRun> runs = ColourRuns(block.ByteStatus, body_.size());
    // The caret set at the start is not the user's: the labels keep "-".
    const QSignalBlocker blocker(hexBodyMemo_);
    bodyMemo_->setUpdatesEnabled(false);
    hexBodyMemo_->setUpdatesEnabled(false);
    fill(*bodyMemo_, text, runs, TextPaneOffset, 1);
    fill(*hexBodyMemo_, hex, runs, HexPaneOffset, kHexCharsPerByte);
    bodyMemo_->setUpdatesEnabled(true);
    hexBodyMemo_->setUpdatesEnabled(true);
}

void TViewBodyFrm::SetScenarios(std::vector<TBodyScenario> scenarios) {
    scenarios_ = std::move(scenarios);
    const QSignalBlocker blocker(scenarioChoice_);
    scenarioChoice_->clear();
    scenarioChoice_->addItem(Q(kNoScenarioChosen));
    for (const TBodyScenario& scenario : scenarios_) scenarioChoice_->addItem(Q(scenario.Description));
}

void TViewBodyFrm::ChooseScenario(int index) {
    const bool chosen = index >= 0 && static_cast<size_t>(index) < scenarios_.size();
    {
        const QSignalBlocker blocker(scenarioChoice_);
        scenarioChoice_->setCurrentIndex(chosen ? index + 1 : 0);
    }
    if (chosen)
        Highlight(scenarios_[static_cast<size_t>(index)].Chars);
    else
        Highlight({});
}

void TViewBodyFrm::Highlight(const TBodyChars& chars) {
    highlighted_.clear();
    for (const TBodyRange& range : chars.Ranges) {
        // Never past the body shown.
        if (range.First >= body_.size()) continue;
        highlighted_.push_back({range.First, std::min(range.Count, body_.size() - range.First)});
    }
    highlight(*bodyMemo_, highlighted_, TextPaneOffset, 1);
    highlight(*hexBodyMemo_, highlighted_, HexPaneOffset, kHexCharsPerByte);
    const bool any = !highlighted_.empty() || chars.ContinuesInNextBlock;
    highlightStatus_->setText(any ? Q(BodyCharsText({highlighted_, chars.ContinuesInNextBlock})) : QString());
    highlightStatus_->setVisible(any);
}

void TViewBodyFrm::FormResize() {
    const TPaneWidths widths = BodyPaneWidths(bodyViewPanel_->width());
    const int height = std::max(bodyViewPanel_->height() - 2 * kPanelBorder, 0);
    bodyMemo_->setGeometry(kPanelBorder, kPanelBorder, widths.Text, height);
    hexBodyMemo_->setGeometry(bodyViewPanel_->width() - kPanelBorder - widths.Hex, kPanelBorder, widths.Hex, height);
}

void TViewBodyFrm::HexBodyMemoSelectionChange() {
    // The start of a selection, whichever way it was dragged, as for a bare caret.
    const int start = hexBodyMemo_->textCursor().selectionStart();
    const QTextBlock row = hexBodyMemo_->document()->findBlock(start);
    const int64_t selected = SelectedByteAt(row.blockNumber(), start - row.position());
    selectedByte_ = static_cast<int32_t>(std::clamp<int64_t>(selected, -1, INT32_MAX));
    ShowByteDetail();
}

void TViewBodyFrm::ShowByteDetail() {
    const TByteDetailTexts texts = ByteDetailTexts(body_, selectedByte_);
    simpleByte_->setText(Q(texts.Simple));
    byteDec64_->setText(Q(texts.Dec64));
    bytes34_->setText(Q(texts.Bytes34));
}

bool TViewBodyFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == bodyViewPanel_ && event->type() == QEvent::Resize) FormResize();
    return QDialog::eventFilter(watched, event);
}

}  // namespace skylog::forms
