#include "forms/UHTMLHelp.h"

#include <QDesktopServices>
#include <QStandardPaths>
#include <QUrl>

#include "Common/FileUtil.h"
#include "Common/MessageBoxes.h"

namespace skylog::forms {

THTMLHelp::THTMLHelp(std::string helpFile, IMessageBoxes& reporter)
    : THTMLHelp(std::move(helpFile), DesktopOpener(), reporter) {}

THTMLHelp::THTMLHelp(std::string helpFile, Opener opener, IMessageBoxes& reporter)
    : helpFile_(std::move(helpFile)), opener_(std::move(opener)), reporter_(reporter) {}

// A Linux desktop opens files through xdg-open (Qt's own route on a generic
// desktop); without it nothing can show the manual.
THTMLHelp::Opener THTMLHelp::DesktopOpener() {
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty()) return {};
    return [](const std::string& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    };
}

bool THTMLHelp::ShowHelp() const {
    if (!opener_) {
        reporter_.Warning(kNoHelpSystemWarning);
        return false;
    }
    if (!FileExists(helpFile_)) {
        reporter_.Warning("Le fichier d'aide " + helpFile_ + " n'existe pas!");
        return true;
    }
    if (!opener_(helpFile_)) {
        reporter_.Warning(kNoHelpSystemWarning);
        return false;
    }
    return true;
}

}  // namespace skylog::forms
