// skylog-gen: writes a deterministic random set of ground-station files, the working
// directory that defines their beacons, and the K7 events a correct import produces.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "Common/DateTime.h"
#include "Common/UUtils.h"
#include "tools/gen/RandomSet.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "usage: skylog-gen --out DIR [--format cnrs|nasa|dcp|goes|goes-framed|bru|all] [--messages N]\n"
    "                  [--beacons B] [--days D] [--seed S] [--defects] [--files F]\n"
    "                  [--start YYYY-MM-DD] [--month-first] [--line-width W] [--no-expected]\n"
    "                  [--dense]\n"
    "Writes DIR/input/<files>, DIR/workdir/DcpList.inf and Managers.inf,\n"
    "DIR/expected-events.txt and DIR/manifest.txt.\n";

int Usage(const std::string& problem) {
    std::cerr << "skylog-gen: " << problem << "\n" << kUsage;
    return kExitUsage;
}

bool ReadInt(const std::string& text, int minimum, int& out) {
    const auto value = skylog::ParseInt32(text);
    if (!value || *value < minimum) return false;
    out = *value;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace skylog::gen;
    const std::vector<std::string> args(argv + 1, argv + argc);
    RandomConfig config;
    std::string outDir;
    WriteOptions writeOptions;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        auto value = [&]() -> const std::string& { return args[++i]; };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return kExitOk;
        } else if (arg == "--defects") {
            config.defects = true;
        } else if (arg == "--dense") {
            config.dense = true;
        } else if (arg == "--month-first") {
            config.dayFirst = false;
        } else if (arg == "--no-expected") {
            writeOptions.expectedEvents = false;
        } else if (!hasValue) {
            return Usage(arg.rfind("--", 0) == 0 ? "missing value after " + arg : "unexpected argument " + arg);
        } else if (arg == "--out") {
            outDir = value();
        } else if (arg == "--format") {
            const std::string name = skylog::Trim(value());
            if (name == "all") {
                config.formats = AllFormats();
            } else if (const auto format = ParseFormatName(name)) {
                config.formats = {*format};
            } else {
                return Usage("unknown format " + name);
            }
        } else if (arg == "--messages") {
            if (!ReadInt(value(), 0, config.messages)) return Usage("--messages needs a number");
        } else if (arg == "--beacons") {
            if (!ReadInt(value(), 1, config.beacons)) return Usage("--beacons needs a positive number");
        } else if (arg == "--days") {
            if (!ReadInt(value(), 1, config.days)) return Usage("--days needs a positive number");
        } else if (arg == "--files") {
            if (!ReadInt(value(), 1, config.filesPerFormat)) return Usage("--files needs a positive number");
        } else if (arg == "--line-width") {
            int width = 0;
            if (!ReadInt(value(), 0, width)) return Usage("--line-width needs a number");
            config.lineWidth = static_cast<size_t>(width);
        } else if (arg == "--seed") {
            const std::string& text = value();
            char* end = nullptr;
            config.seed = std::strtoull(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0') return Usage("--seed needs a number");
        } else if (arg == "--start") {
            const auto day = skylog::ParseIsoDate(value());
            if (!day) return Usage("--start needs a date YYYY-MM-DD");
            const skylog::DateParts parts = skylog::DecodeDate(*day);
            config.year = parts.year;
            config.month = parts.month;
            config.day = parts.day;
        } else {
            return Usage("unknown option " + arg);
        }
    }
    if (outDir.empty()) return Usage("--out is required");
    try {
        const GeneratedSet set = GenerateRandomSet(config);
        WriteGeneratedSet(set, outDir, writeOptions);
        std::cout << set.files.size() << " files, " << set.messageCount << " messages, " << set.continuations
                  << " continuations, " << set.defects.size() << " defects, " << set.expected.size()
                  << " expected events\n";
    } catch (const std::invalid_argument& e) {
        return Usage(e.what());
    } catch (const std::exception& e) {
        std::cerr << "skylog-gen: " << e.what() << "\n";
        return kExitFailure;
    }
    return kExitOk;
}
