// The registry hive at sizes far beyond Drape's own few values: a hive of many keys must parse,
// and take one change, in about linear time, since every change holds the lock that other
// instances wait for.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_registry_file.h"

namespace {

using namespace drape::platform;

// `keys` keys of one value each, about 34 bytes per key as in the field report.
std::string manyKeys(int keys) {
    std::string text = "Windows Registry Editor Version 5.00\n\n";
    for (int i = 0; i < keys; ++i) {
        text += "[HKEY_CURRENT_USER\\Software\\K" + std::to_string(i) + "]\n\"v\"=\"" +
                std::to_string(i) + "\"\n\n";
    }
    return text;
}

void BM_ParseHive(benchmark::State& state) {
    const std::string text = manyKeys(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        posix::HiveParseError error;
        benchmark::DoNotOptimize(posix::parseHive(text, error));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseHive)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// One locked read-modify-write of a large hive on disk, as `keep` makes it.
void BM_ChangeLargeHive(benchmark::State& state) {
    std::string folder = (std::filesystem::temp_directory_path() / "drape-hive-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::filesystem::create_directories(folder + "/drape");
    std::ofstream(folder + "/drape/registry.reg") << manyKeys(static_cast<int>(state.range(0)));
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    posix::PosixPlatform platform;
    int round = 0;
    for (auto _ : state) {
        const std::string path = "/w" + std::to_string(++round) + ".bmp";
        const RegValue value{RegType::Sz, {path.begin(), path.end()}};
        benchmark::DoNotOptimize(
            platform.regSetValue(kHkeyCurrentUser, "Software\\K7", "v", value));
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ChangeLargeHive)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
