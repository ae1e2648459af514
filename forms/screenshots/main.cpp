// skylog-screenshots OUTDIR: renders every window on the sample data into
// OUTDIR/<class>.png, offscreen, in the Fusion style (scripts/screenshots.sh).

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QStyleFactory>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <memory>

#include "forms/AboutDlg.h"
#include "forms/SimpleMemoDlg.h"
#include "forms/SimpleMessageDlg.h"

using namespace skylog::forms;

namespace {

bool save(QWidget& window, const QString& folder) {
    window.show();
    QApplication::processEvents();
    const QString path = folder + QLatin1Char('/') + window.objectName() + QStringLiteral(".png");
    const bool ok = window.grab().save(path);
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "cannot write", qPrintable(path));
    window.close();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(SKYLOG_SOURCE_DIR "/docs/screenshots");
    QDir().mkpath(folder);
    bool ok = true;

    {
        TSimpleMemoFrm memo;
        memo.setWindowTitle(QStringLiteral("Rapport des erreurs de premier niveau"));
        memo.SetLines({"Ligne 12, E=3, Balise inconnue : 17A4C2E6", "Ligne 40, E=5, Ligne de corps sans en-tête"});
        ok &= save(memo, folder);
    }
    {
        TSimpleMessageFrm message;
        message.SetLabel("Chargement DCP de la journée : 07/03/2005");
        message.SetPosition(40);
        ok &= save(message, folder);
    }
    {
        TAboutBox about("0.1.0.0");
        ok &= save(about, folder);
    }
    return ok ? 0 : 1;
}
