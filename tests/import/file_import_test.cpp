// The import's save policy and what its events decide, on a stand-in store.

#include <gtest/gtest.h>

#include <stdexcept>

#include "Common/FileUtil.h"
#include "import/FileImport.h"
#include "tests/tasks/TaskTestDoubles.h"

namespace skylog::test {
namespace {

using Strings = std::vector<std::string>;

// Stops before the file named `stopAt`; a failing read or save goes on when asked.
struct Events : IImportEvents {
    std::string stopAt;
    bool goOn = false;
    Strings heard;
    TImportStep BeforeFile(size_t, size_t, const std::string& path) override {
        return path == stopAt ? TImportStep::Stop : TImportStep::Read;
    }
    void UnknownFormat(const std::string& path) override { heard.push_back("unknown " + path); }
    TImportFailure ReadFailed(const std::string& path, const std::exception&) override {
        heard.push_back("failed " + path);
        return goOn ? TImportFailure::Continue : TImportFailure::Stop;
    }
    TImportFailure SaveFailed(const std::exception&) override {
        heard.emplace_back("save failed");
        return goOn ? TImportFailure::Continue : TImportFailure::Stop;
    }
};

TEST(FileImport, SavesAsThePolicySaysAndEventsDecideTheRest) {
    const struct {
        const char* name;
        TImportPolicy policy;
        Strings files;
        std::string stopAt;
        bool goOn;
        Strings calls, heard;
        bool throws;
    } cases[] = {
        // Every second file, an unknown one counted too; the last save at the end.
        {"every 2 files", {2, {}, false}, {"a.CNRS", "x.txt", "b.DCP"}, "", false,
         {"read a.CNRS", "read x.txt", "flush", "clear", "read b.DCP", "flush"}, {"unknown x.txt"}, false},
        // Past the budget after the second file read; 0 saves after every file read.
        {"budget", {0, 15, false}, {"a.CNRS", "b.CNRS", "c.CNRS"}, "", false,
         {"read a.CNRS", "read b.CNRS", "flush", "clear", "read c.CNRS", "flush"}, {}, false},
        {"budget 0", {0, 0, false}, {"a.CNRS", "x.txt"}, "", false,
         {"read a.CNRS", "flush", "clear", "read x.txt", "flush"}, {"unknown x.txt"}, false},
        // A cancel still saves what was read.
        {"cancel", {}, {"a.CNRS", "b.CNRS"}, "b.CNRS", false, {"read a.CNRS", "flush"}, {}, false},
        // A failed read goes on, or stops everything, the last save included.
        {"read fails, go on", {}, {"bad.CNRS", "a.CNRS"}, "", true,
         {"read bad.CNRS", "read a.CNRS", "flush"}, {"failed bad.CNRS"}, false},
        {"read fails, stop", {}, {"bad.CNRS", "a.CNRS"}, "", false, {"read bad.CNRS"}, {"failed bad.CNRS"}, true},
        // A failed save goes on (the content dropped), or stops.
        {"save fails, go on", {1, {}, false}, {"a.CNRS", "b.CNRS"}, "", true,
         {"read a.CNRS", "flush", "clear", "read b.CNRS", "flush", "clear", "flush"},
         {"save failed", "save failed", "save failed"}, false},
        {"save fails, stop", {1, {}, false}, {"a.CNRS", "b.CNRS"}, "", false, {"read a.CNRS", "flush"},
         {"save failed"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeStore store;
        store.bytesPerRead = 10;
        store.onRead = [&store](const std::string& path) {
            if (path == "bad.CNRS") throw FileError("illisible");
            if (path == "x.txt") return -1;
            store.pending += store.bytesPerRead;
            return 0;
        };
        const bool failSaves = std::string(c.name).starts_with("save fails");
        store.onFlush = [failSaves] {
            if (failSaves) throw FileError("disque plein");
        };
        Events events;
        events.stopAt = c.stopAt;
        events.goOn = c.goOn;
        bool threw = false;
        try {
            const TImportResult result = TFileImport(store, c.policy).Run(c.files, events);
            EXPECT_EQ(result.Cancelled, !c.stopAt.empty());
        } catch (const FileError&) {
            threw = true;
        }
        EXPECT_EQ(threw, c.throws);
        EXPECT_EQ(store.calls, c.calls);
        EXPECT_EQ(events.heard, c.heard);
    }
}

}  // namespace
}  // namespace skylog::test
