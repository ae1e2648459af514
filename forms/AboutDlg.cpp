#include "forms/AboutDlg.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "Common/MessageBoxes.h"
#include "forms/FormsSupport.h"

namespace skylog::forms {
namespace {

// A label that reports a click, for the version line.
class TClickLabel : public QLabel {
public:
    TClickLabel(const QString& text, QWidget* parent, std::function<void()> onClick)
        : QLabel(text, parent), onClick_(std::move(onClick)) {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) onClick_();
        QLabel::mouseReleaseEvent(event);
    }

private:
    std::function<void()> onClick_;
};

QLabel* addLabel(QLabel* label, const char* name, QVBoxLayout* into) {
    label->setObjectName(QString::fromLatin1(name));
    into->addWidget(label);
    return label;
}

}  // namespace

TAboutBox::TAboutBox(std::string hostVersion, IMessageBoxes& reporter, QWidget* parent)
    : QDialog(parent), hostVersion_(std::move(hostVersion)), reporter_(reporter) {
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("A propos"));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(FormsIcon("skylog").pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    QLabel* product = addLabel(new QLabel(QStringLiteral("Skylog"), panel), "ProductName", texts);
    QFont big = product->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    product->setFont(big);
    addLabel(new TClickLabel(QStringLiteral("Version 0.59"), panel, [this] { VersionClick(); }), "Version", texts);
    addLabel(new QLabel(QStringLiteral("ORMAWin Plug-Ins"), panel), "Copyright", texts);
    QLabel* comments = addLabel(new QLabel(QStringLiteral("Décodage des messages des balises et fichiers K7.\n"
                                                          "Réalisé par l'équipe Skylog, pour Linux (Qt 6)."),
                                           panel),
                                "Comments", texts);
    comments->setWordWrap(true);
    texts->addStretch();

    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->addWidget(icon);
    panelLayout->addLayout(texts, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OkBtn"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutBox::VersionClick() { reporter_.Information("Build " + hostVersion_); }

}  // namespace skylog::forms
