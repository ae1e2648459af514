// skylog import FILE...: adds ground-station message files the way the main window's
// "Ajouter" does, without a window. Reader errors go to stdout, one line each, so
// that they can be filtered; failures, progress and the final count go to stderr.

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "Common/FileUtil.h"
#include "cli/Commands.h"
#include "dcp/UDCPList.h"
#include "import/GroundStationFormat.h"
#include "import/UDecodFile.h"
#include "plugin/USkylog.h"

namespace skylog::cli {
namespace {

// The store is written and emptied every so many files, as the main window does, so
// that a long list of files does not hold every message in memory.
constexpr size_t kFilesPerFlush = 50;

// A progress line on a terminal, rewritten in place and erased before other output.
class Progress {
public:
    explicit Progress(size_t total) : enabled_(total > 1 && ::isatty(STDERR_FILENO) != 0), total_(total) {}
    void Show(size_t index, const std::string& path) {
        if (!enabled_) return;
        std::cerr << "\r\033[K" << (index + 1) << '/' << total_ << ' ' << path << std::flush;
        shown_ = true;
    }
    void Erase() {
        if (!shown_) return;
        std::cerr << "\r\033[K" << std::flush;
        shown_ = false;
    }

private:
    bool enabled_;
    bool shown_ = false;
    size_t total_;
};

void printErrors(const std::string& path, const TDecodFile& reader) {
    for (const TDecodFileError& e : reader.Errors) {
        std::cout << path << ": Ligne " << e.Line << ", E=" << e.Code << ", "
                  << TDecodFile::ErrorMessage(e) << '\n';
    }
}

// Writes the store; a failure is reported and counts as a failed run.
bool flush(TDCPList& beacons) {
    try {
        beacons.FlushAll();
        return true;
    } catch (const std::exception& e) {
        std::cerr << "skylog: " << e.what() << '\n';
        return false;
    }
}

// The main window's warning, then the extensions that the reader knows.
std::string unknownFormatMessage(const std::string& path) {
    std::string known;
    for (const ExtensionFormat& f : kExtensionFormats) known += (known.empty() ? "" : ", ") + std::string(f.extension);
    return "Le format du fichier " + path + " est inconnu!\nskylog: extensions reconnues : " + known;
}

// A path that cannot be a ground-station file, said before the reader looks at it: a
// folder, or a missing file whose extension is no known one either (the missing file
// is what to fix first).
std::optional<std::string> pathProblem(const std::string& path) {
    if (DirectoryExists(path))
        return "skylog: " + path + " est un répertoire, pas un fichier (skylog collect --dir " + path +
               " en lit les fichiers)";
    if (TDecodFile::FormatOfPath(path) != kFormatUnknown) return std::nullopt;
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return "skylog: Impossible de lire le fichier " + path + " : " + SystemErrorText(ENOENT);
    return unknownFormatMessage(path);
}

int importFiles(const Args& args, const Options& options) {
    args.ExpectPositional(1, SIZE_MAX);
    const std::vector<std::string>& files = args.Positional();
    TDecodFile* reader = &options.run->Reader();
    TDCPList* beacons = &options.run->Beacons();

    int status = kExitOk;
    size_t filesRead = 0;
    long messages = 0;
    long errors = 0;
    Progress progress(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i];
        progress.Show(i, path);
        try {
            if (const auto problem = pathProblem(path)) {
                progress.Erase();
                std::cerr << *problem << '\n';
                status = kExitFailure;
            } else if (reader->ReadFile(path) < 0) {
                progress.Erase();
                std::cerr << unknownFormatMessage(path) << '\n';
                status = kExitFailure;
            } else {
                ++filesRead;
                messages += reader->BlocksFiled;
                errors += static_cast<long>(reader->Errors.size());
                if (!reader->Errors.empty()) progress.Erase();
                printErrors(path, *reader);
                // Without an error nor a message, nothing would tell that the file held
                // nothing the reader knows.
                if (reader->Errors.empty() && reader->BlocksFiled == 0) {
                    progress.Erase();
                    std::cerr << path << ": aucun message reconnu (" << reader->LinesRead << " lignes lues)\n";
                }
            }
        } catch (const FileError& e) {
            progress.Erase();
            std::cerr << "skylog: " << e.what() << '\n';
            status = kExitFailure;
        }
        if ((i + 1) % kFilesPerFlush == 0) {
            if (!flush(*beacons)) status = kExitFailure;
            beacons->ClearAll();
        }
    }
    if (!flush(*beacons)) status = kExitFailure;
    progress.Erase();
    std::cout << std::flush;
    std::cerr << filesRead << " fichier(s) lu(s), " << messages << " message(s), " << errors
              << " erreur(s) de lecture\n";
    return status;
}

Registrar reg("import", importFiles);

}  // namespace
}  // namespace skylog::cli
