#include "host/HostFrm.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <cstdio>

#include "Common/Encoding.h"

namespace skylog::host {
namespace {

constexpr const char* kFormName = "ORMAFrm";
constexpr const char* kMenuButtonName = "TraitementsMnuBtn";

QString fromHost(THostString text) { return text ? QString::fromStdString(Cp1252ToUtf8(text)) : QString(); }

}  // namespace

THostFrm::THostFrm(THostOptions options, QWidget* parent) : QMainWindow(parent), options_(std::move(options)) {
    setObjectName(QString::fromLatin1(kFormName));
    setWindowTitle(QStringLiteral("ORMA"));
    resize(640, 360);

    auto* toolBar = addToolBar(QStringLiteral("Outils"));
    toolBar->setObjectName(QStringLiteral("HostToolBar"));
    traitements_ = new QToolButton(toolBar);
    traitements_->setObjectName(QString::fromLatin1(kMenuButtonName));
    traitements_->setText(QStringLiteral("Traitements"));
    traitements_->setPopupMode(QToolButton::InstantPopup);
    traitements_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    traitementsMenu_ = new QMenu(traitements_);
    traitementsMenu_->setObjectName(QStringLiteral("TraitementsMnu"));
    traitements_->setMenu(traitementsMenu_);
    toolBar->addWidget(traitements_);

    log_ = new QPlainTextEdit(this);
    log_->setObjectName(QStringLiteral("LogMemo"));
    log_->setReadOnly(true);
    setCentralWidget(log_);

    application_.Context = this;
    application_.MainWindow = this;
    application_.SetTitle = &THostFrm::setTitle;
    application_.SetIcon = &THostFrm::setIcon;
    application_.Version = options_.Version.c_str();
    record_.Debug = options_.Debug ? 1 : 0;
    if (options_.HostData) {
        record_.EventDictionary = &options_.HostData->Dictionary;
        record_.InstrumentTypes = &options_.HostData->InstrumentTypes;
    }
    record_.HostFileName = options_.HostFileName.c_str();
    record_.Application = &application_;
}

// The plug-ins are unloaded after the window that they may still refer to is gone
// from their view: nothing of theirs runs once Execute has returned.
THostFrm::~THostFrm() = default;

void THostFrm::log(const QString& line) {
    log_->appendPlainText(line);
    std::fprintf(stderr, "skylog-host: %s\n", line.toLocal8Bit().constData());
}

QStringList THostFrm::LogLines() const { return log_->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts); }

void THostFrm::LoadPlugIns(const std::string& folder) {
    const std::vector<std::string> files = PlugInFiles(folder);
    if (files.empty()) log(QStringLiteral("Aucun module dans ") + QString::fromStdString(folder));
    for (const std::string& file : files) {
        std::string error;
        std::unique_ptr<TPlugInLibrary> plugIn = TPlugInLibrary::Load(file, error);
        if (!plugIn) {
            log(QString::fromStdString(error));
            continue;
        }
        TPlugInLibrary* loaded = plugIn.get();
        int placed = 0;
        for (const TMenuEntry& entry : MenuEntries(*loaded)) {
            if (entry.FormName != kFormName || entry.MenuButtonName != kMenuButtonName) {
                log(QString::fromStdString("Le module " + file + " demande une place inconnue : " + entry.FormName +
                                           "." + entry.MenuButtonName));
                continue;
            }
            QAction* action = traitementsMenu_->addAction(QString::fromStdString(entry.Caption));
            connect(action, &QAction::triggered, this, [loaded] { loaded->Execute(); });
            ++placed;
        }
        loaded->Initialize(&record_);
        log(QString::fromStdString("Module chargé : " + file + " (" + loaded->MenuCaption() + ")"));
        if (placed == 0) log(QString::fromStdString("Le module " + file + " n'a pas d'entrée dans ce menu."));
        plugIns_.push_back(std::move(plugIn));
    }
}

bool THostFrm::ExecutePlugIn(const std::string& fileName) {
    for (const auto& plugIn : plugIns_) {
        if (QFileInfo(QString::fromStdString(plugIn->Path())).fileName().toStdString() == fileName) {
            plugIn->Execute();
            return true;
        }
    }
    return false;
}

void THostFrm::setTitle(void* context, THostString title) {
    auto* self = static_cast<THostFrm*>(context);
    self->setWindowTitle(fromHost(title));
}

void THostFrm::setIcon(void* context, const void* icon) {
    if (!icon) return;
    const QIcon copy = *static_cast<const QIcon*>(icon);
    static_cast<THostFrm*>(context)->setWindowIcon(copy);
    QApplication::setWindowIcon(copy);
}

}  // namespace skylog::host
