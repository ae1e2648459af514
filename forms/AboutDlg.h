#pragma once
// The about box. The version line is the product's; clicking it tells the host's
// version ("Build " + version), which the host hands over (empty without one).

#include <QDialog>
#include <string>

namespace skylog::forms {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(std::string hostVersion, QWidget* parent = nullptr);
    [[nodiscard]] const std::string& HostVersion() const { return hostVersion_; }

public Q_SLOTS:
    void VersionClick();

private:
    std::string hostVersion_;
};

}  // namespace skylog::forms
