#pragma once
// The about box. The version line is the product's; clicking it tells the host's
// version ("Build " + version), which the host hands over (empty without one).

#include <QDialog>
#include <string>

namespace skylog {
class IMessageBoxes;
}

namespace skylog::forms {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    // The version's information box goes to the reporter, which must outlive the box.
    TAboutBox(std::string hostVersion, IMessageBoxes& reporter, QWidget* parent = nullptr);
    [[nodiscard]] const std::string& HostVersion() const { return hostVersion_; }

public Q_SLOTS:
    void VersionClick();

private:
    std::string hostVersion_;
    IMessageBoxes& reporter_;
};

}  // namespace skylog::forms
