// skylog import FILE...: adds ground-station message files the way the main window's
// "Ajouter" does, without a window. Reader errors go to stdout, one line each, so
// that they can be filtered; failures, progress and the summary go to stderr.

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
#include "cli/RunSummary.h"
#include "dcp/UDCPList.h"
#include "import/FileImport.h"
#include "import/GroundStationFormat.h"
#include "import/UDecodFile.h"
#include "plugin/USkylog.h"

namespace skylog::cli {
namespace {

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

// What the import shows: reader errors on standard output, the rest on standard
// error. A file that cannot be read, or a save that fails, is reported and the import
// goes on; either makes the exit status 1.
class ImportEvents : public IImportEvents {
public:
    ImportEvents(const TDecodFile& reader, size_t count) : reader_(reader), progress_(count) {}

    TImportStep BeforeFile(size_t index, size_t, const std::string& path) override {
        progress_.Show(index, path);
        if (const auto problem = pathProblem(path)) {
            fail(*problem);
            return TImportStep::Skip;
        }
        return TImportStep::Read;
    }
    void FileRead(const std::string& path) override {
        if (!reader_.Errors.empty()) progress_.Erase();
        printErrors(path, reader_);
        // Without an error nor a message, nothing would tell that the file held
        // nothing the reader knows.
        if (reader_.Errors.empty() && reader_.BlocksFiled == 0) {
            progress_.Erase();
            std::cerr << path << ": aucun message reconnu (" << reader_.LinesRead << " lignes lues)\n";
        }
    }
    void UnknownFormat(const std::string& path) override { fail(unknownFormatMessage(path)); }
    TImportFailure ReadFailed(const std::string&, const std::exception& error) override {
        if (dynamic_cast<const FileError*>(&error) == nullptr) return TImportFailure::Stop;
        fail(std::string("skylog: ") + error.what());
        return TImportFailure::Continue;
    }
    TImportFailure SaveFailed(const std::exception& error) override {
        std::cerr << "skylog: " << error.what() << '\n';
        status = kExitFailure;
        return TImportFailure::Continue;
    }
    void Erase() { progress_.Erase(); }

    int status = kExitOk;

private:
    void fail(const std::string& message) {
        progress_.Erase();
        std::cerr << message << '\n';
        status = kExitFailure;
    }
    const TDecodFile& reader_;
    Progress progress_;
};

int importFiles(const Args& args, const Options& options) {
    args.ExpectPositional(1, SIZE_MAX);
    const std::vector<std::string>& files = args.Positional();
    TImportPolicy policy;
    policy.MemoryBudget = static_cast<size_t>(args.Count("--memory-budget").value_or(kDefaultMemoryBudgetMB)) << 20;
    return JournaledRun(options, "import", [&](TRunCounts& counts) {
        TFileImport import(options.run->Store(), policy);
        ImportEvents events(options.run->Reader(), files.size());
        const TImportResult result = import.Run(files, events);
        counts = result.Counts;
        events.Erase();
        for (const std::string& path : result.UnstoredFiles)
            std::cerr << "skylog: des messages de " << path
                      << " n'ont pas pu être enregistrés (fichier à importer à nouveau)\n";
        if (!result.UnstoredFiles.empty()) events.status = kExitFailure;
        std::cout << std::flush;
        PrintSummary(options, "", counts);
        return events.status;
    });
}

Registrar reg("import", importFiles);

}  // namespace
}  // namespace skylog::cli
