#pragma once
// Host data for a build without the host: two line-oriented UTF-8 text files,
// instruments.txt and events.txt (layout in docs/formats/host-data.md). Parsing is
// kept apart from file reading so that tests and fuzzers feed text directly.

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "k7/HostData.h"

namespace skylog {

constexpr const char* kInstrumentsFileName = "instruments.txt";
constexpr const char* kEventsFileName = "events.txt";

// A malformed host-data file: the message reads "file:line: what is wrong".
class HostDataError : public std::runtime_error {
public:
    HostDataError(std::string fileName, int line, const std::string& what);
    [[nodiscard]] const std::string& FileName() const { return fileName_; }
    [[nodiscard]] int Line() const { return line_; }

private:
    std::string fileName_;
    int line_;
};

// Append the content of one file to the set; fileName only names it in errors.
void ParseInstrumentTypes(std::string_view text, std::string_view fileName, HostDataSet& into);
void ParseEventDictionary(std::string_view text, std::string_view fileName, HostDataSet& into);

[[nodiscard]] std::unique_ptr<HostDataSet> ParseHostData(std::string_view instrumentsText,
                                                         std::string_view eventsText);

// Reads folder/instruments.txt and folder/events.txt. Throws FileError when a file
// cannot be read, HostDataError when one is malformed.
[[nodiscard]] std::unique_ptr<HostDataSet> LoadHostData(const std::string& folder);

// The run's view of the set, with the dictionary's decimal separator when it is a
// plain ASCII character (',' otherwise). The set must outlive every use of the view.
[[nodiscard]] THostData HostDataOf(const HostDataSet& data);

}  // namespace skylog
