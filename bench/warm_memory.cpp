// skylog-warm-memory MB: writes to MB megabytes of fresh memory, then frees them.
//
// Some virtual machines hand memory the guest has freed back to the hypervisor a few
// seconds later; the next program to touch it then waits for the host to supply it
// again, which made the same import take anywhere from 0.25 to 0.5 s. bench/import.sh
// runs this right before each timed run so that the figures measure the program, not
// that delay (its --cold option skips it). Capped at half the available memory.

#include <sys/mman.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

uint64_t AvailableBytes() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    uint64_t kb = 0;
    std::string unit;
    while (meminfo >> key >> kb >> unit)
        if (key == "MemAvailable:") return kb * 1024;
    return UINT64_MAX;
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t megabytes = 0;
    const char* arg = argc == 2 ? argv[1] : "";
    const auto [end, error] = std::from_chars(arg, arg + std::strlen(arg), megabytes);
    if (argc != 2 || error != std::errc() || *end != '\0' || megabytes == 0) {
        std::fprintf(stderr, "usage: skylog-warm-memory MEGABYTES\n");
        return 2;
    }
    const uint64_t bytes = std::min(megabytes << 20, AvailableBytes() / 2);
    void* region = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (region == MAP_FAILED) {
        std::perror("skylog-warm-memory: mmap");
        return 1;
    }
    // Huge pages where the kernel allows them, as the skylog program asks: fewer faults.
    madvise(region, bytes, MADV_HUGEPAGE);
    std::memset(region, 1, bytes);
    munmap(region, bytes);
    return 0;
}
