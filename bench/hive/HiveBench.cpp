// The reg tool on a tree 500 levels deep and on one 100,000 keys wide: import, query, export and
// delete should each take time in proportion to the tree. And what the integrity check that
// every process runs on opening a hive costs on a hive of 10,000 values.
#include "platform/hive/CurrentHive.h"
#include "platform/hive/Hive.h"
#include "tools/reg/RegCommands.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace
{
const std::filesystem::path& Folder()
{
    static const std::filesystem::path folder = [] {
        std::string name = (std::filesystem::temp_directory_path() / "hive-bench-XXXXXX").string();
        return std::filesystem::path(mkdtemp(name.data()));
    }();
    return folder;
}

bool Reg(const std::vector<std::string>& args)
{
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    regtool::Console console{in, out, err};
    return regtool::RunReg(args, console) == 0;
}

// A registration file of the tree: every key with one value.
std::string TreeFile(bool deep, int keys)
{
    const std::string file = (Folder() / (deep ? "deep.reg" : "wide.reg")).string();
    std::ofstream out(file, std::ios::binary);
    out << "Windows Registry Editor Version 5.00\r\n";
    std::string name = "HKEY_CURRENT_USER\\Software\\Tree";
    for (int i = 0; i < keys; ++i) {
        const std::string key = deep ? (name += "\\L") : name + "\\K" + std::to_string(i);
        out << "\r\n[" << key << "]\r\n\"v\"=dword:" << std::to_string(i) << "\r\n";
    }
    return file;
}

// Each phase's seconds, as counters of the benchmark.
void Phases(benchmark::State& state, bool deep, int keys)
{
    setenv("STRANDMOOR_HIVE", (Folder() / (deep ? "deep.hive" : "wide.hive")).c_str(), 1);
    const std::string file = TreeFile(deep, keys);
    const std::string exported = (Folder() / "exported.reg").string();
    const std::vector<std::pair<const char*, std::vector<std::string>>> phases = {
        {"import", {"import", file}},
        {"query", {"query", "HKCU\\Software\\Tree", "/s"}},
        {"export", {"export", "HKCU\\Software\\Tree", exported, "/y"}},
        {"delete", {"delete", "HKCU\\Software\\Tree", "/f"}},
    };
    for (auto _ : state) {
        for (const auto& [phase, args] : phases) {
            const auto start = std::chrono::steady_clock::now();
            if (!Reg(args))
                state.SkipWithError(phase);
            state.counters[phase] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    }
    for (const auto& [phase, args] : phases)
        state.counters[phase] = benchmark::Counter(state.counters[phase], benchmark::Counter::kAvgIterations);
}

void Deep500(benchmark::State& state)
{
    // Software and Tree are the first two levels.
    Phases(state, true, 498);
}

void Wide100000(benchmark::State& state)
{
    Phases(state, false, 100000);
}

void QuickCheckOf10000Values(benchmark::State& state)
{
    const std::string path = (Folder() / "values.hive").string();
    setenv("STRANDMOOR_HIVE", path.c_str(), 1);
    std::ostringstream file;
    file << "Windows Registry Editor Version 5.00\r\n";
    for (int key = 0; key < 100; ++key) {
        file << "\r\n[HKEY_CURRENT_USER\\Software\\Values\\Key " << key << "]\r\n";
        for (int value = 0; value < 100; ++value)
            file << "\"Value " << value << "\"=\"some setting text " << key * 100 + value << "\"\r\n";
    }
    const std::string reg = (Folder() / "values.reg").string();
    std::ofstream(reg, std::ios::binary) << file.str();
    if (!Reg({"import", reg}))
        state.SkipWithError("import");
    win32::LONG status = 0;
    std::string error;
    const auto hive = hive::Hive::Open(path, status, error);
    if (!hive)
        state.SkipWithError(error.c_str());
    for (auto _ : state)
        benchmark::DoNotOptimize(hive->CheckIntegrity());
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
} // namespace

BENCHMARK(Deep500)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(Wide100000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(QuickCheckOf10000Values)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
