#include "forms/ScnInfoDlg.h"

#include <QAbstractListModel>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTreeView>
#include <QVBoxLayout>
#include <array>

#include "forms/FormsSupport.h"
#include "k7/UEvenement.h"

namespace skylog::forms {

// The lines of one event, as copies (see SetEvt).
class TScnInfoLinesModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    void Show(std::vector<TScnInfoLine> lines) {
        beginResetModel();
        lines_ = std::move(lines);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(lines_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const TScnInfoLine& line = lines_[static_cast<size_t>(index.row())];
        if (role == Qt::DisplayRole) return Q(line.Text);
        if (role == Qt::DecorationRole && line.ImageIndex >= 0) return ElementTypeIcon(line.ImageIndex);
        return {};
    }
    [[nodiscard]] const TScnInfoLine* LineAt(int row) const {
        return row >= 0 && row < rowCount() ? &lines_[static_cast<size_t>(row)] : nullptr;
    }

private:
    std::vector<TScnInfoLine> lines_;
};

namespace {

constexpr int kGfxPanelWidth = 41;
constexpr int kStopSize = 32;
constexpr int kDebugPanelHeight = 101;
constexpr int kDebugPanelBorder = 5;

// By ImageIndex, as the host's element types name them (docs/formats/host-data.md).
constexpr std::array<const char*, 11> kElementIcons = {
    "element-date",   "element-time",  "element-temperature", "element-battery", "element-count", "element-filter",
    "element-signal", "element-state", "element-mode",        "element-position", "element-humidity",
};

QWidget* whitePanel(QWidget* parent, const char* name) {
    auto* panel = Named(new QWidget(parent), name);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(palette);
    return panel;
}

}  // namespace

QIcon ElementTypeIcon(int imageIndex) {
    if (imageIndex < 0 || static_cast<size_t>(imageIndex) >= kElementIcons.size()) return {};
    return FormsIcon(kElementIcons[static_cast<size_t>(imageIndex)]);
}

TScnInfoFrm::TScnInfoFrm(bool debug, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      debug_(debug), lines_(new TScnInfoLinesModel(this)) {
    setObjectName(QStringLiteral("TScnInfoFrm"));
    resize(205, 280);

    mesListView_ = Named(new QTreeView(this), "MesListView");
    mesListView_->setModel(lines_);
    mesListView_->setHeaderHidden(true);
    mesListView_->setRootIsDecorated(false);
    mesListView_->setItemsExpandable(false);
    mesListView_->setUniformRowHeights(true);
    mesListView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mesListView_->setSelectionMode(QAbstractItemView::SingleSelection);
    mesListView_->header()->setStretchLastSection(false);
    mesListView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mesListView_->viewport()->installEventFilter(this);
    connect(mesListView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { elementLineChosen(); });

    errorPanel_ = Named(new QWidget(this), "ErrorPanel");
    auto* gfx = whitePanel(errorPanel_, "GfxPanel");
    gfx->setFixedWidth(kGfxPanelWidth);
    auto* stop = Named(new QLabel(gfx), "StopImage");
    stop->setPixmap(FormsIcon("stop").pixmap(kStopSize, kStopSize));
    stop->setFixedSize(kStopSize, kStopSize);
    auto* gfxLayout = new QVBoxLayout(gfx);
    gfxLayout->setContentsMargins(4, 8, 4, 4);
    gfxLayout->addWidget(stop, 0, Qt::AlignHCenter);
    gfxLayout->addStretch();
    auto* text = whitePanel(errorPanel_, "ProblemInfoPanel");
    problemInfo_ = Named(new QLabel(QString::fromUtf8(kScnUnexplained), text), "ProblemInfoLbl");
    problemInfo_->setWordWrap(true);
    problemInfo_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    problemInfo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* textLayout = new QVBoxLayout(text);
    textLayout->setContentsMargins(4, 4, 4, 4);
    textLayout->addWidget(problemInfo_);
    auto* errorLayout = new QHBoxLayout(errorPanel_);
    errorLayout->setContentsMargins(1, 1, 1, 1);
    errorLayout->setSpacing(0);
    errorLayout->addWidget(gfx);
    errorLayout->addWidget(text, 1);
    errorPanel_->hide();

    status_ = Named(new QLabel(this), "StatusLbl");
    status_->setWordWrap(true);
    status_->setContentsMargins(4, 2, 4, 2);
    status_->hide();

    debugPanel_ = Named(new QWidget(this), "DebugPanel");
    debugPanel_->setFixedHeight(kDebugPanelHeight);
    hexaMemo_ = Named(new QPlainTextEdit(debugPanel_), "HexaMemo");
    hexaMemo_->setReadOnly(true);
    auto* debugLayout = new QVBoxLayout(debugPanel_);
    debugLayout->setContentsMargins(kDebugPanelBorder, kDebugPanelBorder, kDebugPanelBorder, kDebugPanelBorder);
    debugLayout->addWidget(hexaMemo_);
    debugPanel_->setVisible(debug_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mesListView_, 1);
    layout->addWidget(errorPanel_, 1);
    layout->addWidget(status_);
    layout->addWidget(debugPanel_);
}

void TScnInfoFrm::SetEvt(const TEvenement* event, std::string blockHeader, std::vector<TBodyChars> elementChars) {
    evt_ = event;
    blockHeader_ = std::move(blockHeader);
    elementChars_ = std::move(elementChars);
    status_->clear();
    status_->hide();
    hexaMemo_->setPlainText(event ? Q(event->Evt()) : QString());
    setWindowTitle(event ? Q(event->DescString()) : QString());
    mesListView_->setUpdatesEnabled(false);
    problemInfo_->setText(QString::fromUtf8(kScnUnexplained));
    const std::optional<std::string> problem = event ? ScnProblemText(*event) : std::nullopt;
    if (problem) problemInfo_->setText(Q(*problem));
    errorPanel_->setVisible(problem.has_value());
    mesListView_->setVisible(!problem.has_value());
    lines_->Show(event ? ScnInfoLines(*event, debug_) : std::vector<TScnInfoLine>{});
    mesListView_->setUpdatesEnabled(true);
    MesListViewResize();
}

void TScnInfoFrm::elementLineChosen() {
    const TScnInfoLine* line = lines_->LineAt(mesListView_->currentIndex().row());
    if (!line || line->Element < 0 || static_cast<size_t>(line->Element) >= elementChars_.size()) {
        status_->hide();
        return;
    }
    const TBodyChars& chars = elementChars_[static_cast<size_t>(line->Element)];
    status_->setText(Q(BodyCharsText(chars)));
    status_->show();
    if (onElementChosen_) onElementChosen_(blockHeader_, chars);
}

void TScnInfoFrm::MesListViewResize() {
    mesListView_->header()->resizeSection(0, std::max(mesListView_->viewport()->width() - 1, 0));
}

bool TScnInfoFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mesListView_->viewport() && event->type() == QEvent::Resize) MesListViewResize();
    return QWidget::eventFilter(watched, event);
}

}  // namespace skylog::forms
