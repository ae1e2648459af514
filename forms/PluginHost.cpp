#include "forms/PluginHost.h"

#include <QIcon>
#include <QString>
#include <QWidget>

#include "Common/Encoding.h"

namespace skylog::forms {

TPluginHost& PluginHost() {
    static TPluginHost host;
    return host;
}

QWidget* TPluginHost::OwnerWindow() const {
    if (!record_ || !record_->Application) return nullptr;
    return static_cast<QWidget*>(record_->Application->MainWindow);
}

std::string TPluginHost::Version() const {
    if (!record_ || !record_->Application || !record_->Application->Version) return {};
    return Cp1252ToUtf8(record_->Application->Version);
}

std::string TPluginHost::HostFileName() const {
    if (!record_ || !record_->HostFileName) return {};
    return record_->HostFileName;
}

void TPluginHost::SetHostTitle(const QString& title) const {
    if (!record_ || !record_->Application || !record_->Application->SetTitle) return;
    const std::string text = Utf8ToCp1252(title.toStdString());
    record_->Application->SetTitle(record_->Application->Context, text.c_str());
}

// As pixmaps: the host keeps its copy after the plug-in, whose resources an icon drawn
// from a file would still read, may have been unloaded.
void TPluginHost::SetHostIcon(const QIcon& icon) const {
    if (!record_ || !record_->Application || !record_->Application->SetIcon) return;
    QIcon pixmaps;
    for (const int size : {16, 24, 32, 48, 64}) pixmaps.addPixmap(icon.pixmap(size));
    record_->Application->SetIcon(record_->Application->Context, &pixmaps);
}

}  // namespace skylog::forms
