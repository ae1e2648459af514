#pragma once
// Opens Skylog's HTML manual in the desktop's browser. Without a way to open it the
// long first warning is shown; a missing manual is named with its full path.

#include <functional>
#include <string>

namespace skylog {
class IMessageBoxes;
}

namespace skylog::forms {

inline constexpr const char* kNoHelpSystemWarning =
    "L'aide en ligne n'est disponible que pour les systèmes possédant l'extension HTML Help de "
    "Microsoft.\nHTML Help n'est pas inclus dans Windows 95, Windows NT 4.0 et dans toutes les "
    "versions précédentes (HTML Help est inclus avec Microsoft Internet Explorer 4.0 et toutes les "
    "versions de systèmes suivantes).";

class THTMLHelp {
public:
    // Opens a file; false when it could not.
    using Opener = std::function<bool(const std::string& path)>;

    // The desktop's opener when the desktop has one (xdg-open), else none. Warnings go
    // to the reporter, which must outlive this object.
    THTMLHelp(std::string helpFile, IMessageBoxes& reporter);
    // A given opener; an empty one means that there is no way to open the file.
    THTMLHelp(std::string helpFile, Opener opener, IMessageBoxes& reporter);

    [[nodiscard]] const std::string& HelpFile() const { return helpFile_; }
    [[nodiscard]] bool CanOpen() const { return static_cast<bool>(opener_); }

    // False when there is no way to open the manual (or opening it failed), true
    // otherwise, including when the file is missing.
    bool ShowHelp() const;

    [[nodiscard]] static Opener DesktopOpener();

private:
    std::string helpFile_;
    Opener opener_;
    IMessageBoxes& reporter_;
};

}  // namespace skylog::forms
