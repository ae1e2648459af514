#pragma once
// What the host handed over at Initialize, for the windows of the plug-in: the owner
// of their windows, the host's version (about box), its debug flag, and the calls
// that set its title and icon. Without a host (tests, tools) every answer is empty.

#include <string>

#include "plugin/SkylogPlugin.h"

class QWidget;
class QIcon;
class QString;

namespace skylog::forms {

class TPluginHost {
public:
    void SetRecord(const THostInitRecord* record) { record_ = record; }
    [[nodiscard]] const THostInitRecord* Record() const { return record_; }

    [[nodiscard]] QWidget* OwnerWindow() const;
    [[nodiscard]] std::string Version() const;
    [[nodiscard]] bool Debug() const { return record_ && record_->Debug != 0; }
    [[nodiscard]] std::string HostFileName() const;
    // Give the host our title and icon; nothing without a host.
    void SetHostTitle(const QString& title) const;
    void SetHostIcon(const QIcon& icon) const;

private:
    const THostInitRecord* record_ = nullptr;
};

[[nodiscard]] TPluginHost& PluginHost();

}  // namespace skylog::forms
