// Property: K7 content survives reading and writing again, also through the disk. (Any
// bytes read and written back twice alike: fuzz/fuzz_k7file.cpp.)

#include <gtest/gtest.h>

#include <random>

#include "k7/K7Format.h"
#include "k7/UK7File.h"
#include "tests/k7/K7TestSupport.h"
#include "tests/support/TempDir.h"

namespace skylog {
namespace {

class Generator {
public:
    explicit Generator(uint32_t seed) : random_(seed) {}

    uint8_t Byte() { return static_cast<uint8_t>(random_() & 0xFF); }
    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    // Any header whose first date, when it is one, has seconds 0..59 or "not given":
    // other second values are not written back as they were read.
    std::string Header() {
        std::string header(k7format::kHeaderSize, '\0');
        for (char& c : header) c = static_cast<char>(Byte());
        if (Between(0, 3) == 0) header.replace(k7format::kIdentOffset, 2, "SP");
        const size_t date1 = k7format::kHeaderDate1Offset;
        if (Between(0, 1) == 0) {
            const int fields[] = {Between(80, 130), Between(1, 12), Between(1, 28), Between(0, 23), Between(0, 59)};
            for (size_t i = 0; i < std::size(fields); ++i) header[date1 + i] = static_cast<char>(fields[i]);
        }
        const int second = Between(0, 60);
        header[date1 + 5] = static_cast<char>(second == 60 ? 0xFF : second);
        return header;
    }

    // Type other than 0xFF, length 5..255, end marker and length at the end.
    std::string Event() {
        const int length = Between(5, 255);
        std::string event(static_cast<size_t>(length), '\0');
        for (char& c : event) c = static_cast<char>(Byte());
        event[0] = static_cast<char>(Between(0, 0xFE));
        event[1] = event.back() = static_cast<char>(length);
        event[static_cast<size_t>(length) - 2] = static_cast<char>(0xFE);
        return event;
    }

private:
    std::mt19937 random_;
};

TEST(K7RoundTrip, RandomValidFilesAreReproducedAlsoThroughTheDisk) {
    test::TempDir dir;
    Generator generate(20050307);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = generate.Header();
        const int count = generate.Between(0, 12);
        for (int i = 0; i < count; ++i) bytes += generate.Event();
        TK7File file;
        ASSERT_TRUE(file.Parse(bytes));
        ASSERT_EQ(file.Events().size(), static_cast<size_t>(count)) << "round " << round;
        ASSERT_TRUE(file.BuildBuffer());
        ASSERT_EQ(file.Buffer(), bytes) << "round " << round;
        if (round % 10 != 0) continue;
        // Written, read from the disk and written over itself.
        const std::string path = dir.File("round" + std::to_string(round) + "/P001_20050307.K7");
        ASSERT_TRUE(file.SaveToFile(path));
        TK7File reread;
        ASSERT_TRUE(reread.LoadFromFile(path));
        ASSERT_EQ(reread.Events().size(), static_cast<size_t>(count)) << "round " << round;
        ASSERT_TRUE(reread.BuildBuffer());
        ASSERT_TRUE(reread.SaveToFile(path));
        ASSERT_EQ(test::ReadText(path), bytes) << "round " << round;
    }
}

}  // namespace
}  // namespace skylog
