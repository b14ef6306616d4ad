// Drawing file and recording speed against plain system calls and vectors,
// on a drawing of 2,097,153 records (the most that appending reaches).
#include "engine/format/drawing.h"
#include "engine/format/recording.h"
#include "engine/playback/host.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace vellograph;

constexpr std::int32_t BenchRecords = NoIndex + 1;

// A host whose pump only counts, so a load measures reading, not a GUI.
class CountingHost : public ConsoleHost {
public:
    void ProcessMessages() override { ++pumps; }
    void ShowMessage(const std::string&) override {}
    long pumps = 0;
};

// A temporary folder holding one big drawing file, made once per run.
class BenchFiles {
public:
    BenchFiles() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vellograph-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::abort();
        }
        dir = pattern;
        drawing.Header.fill(0);
        std::copy_n(StandardHeader, HeaderSize, drawing.Header.begin());
        drawing.Commands.reserve(BenchRecords);
        for (std::int32_t i = 0; i < BenchRecords; ++i) {
            drawing.Commands.push_back(
                MakeNumberRecord(i % 7 == 0 ? CmdMove : CmdLine, i % 4096, (i / 4096) % 4096));
        }
        drawing.LastIndex = BenchRecords - 1;
        source = (dir / "big.vlgf").string();
        target = (dir / "saved.vlgf").string();
        std::int32_t saved = 0;
        SaveDrawing(source, drawing, saved);
    }
    ~BenchFiles() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    std::filesystem::path dir;
    std::string source;
    std::string target;
    TAVecImage drawing;
};

BenchFiles& Files() {
    static BenchFiles files;
    return files;
}

void BM_ReadFileBaseline(benchmark::State& state) {
    const std::string& path = Files().source;
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        ::fstat(fd, &st);
        const auto size = static_cast<std::size_t>(st.st_size);
        const auto buffer = std::make_unique_for_overwrite<char[]>(size);
        benchmark::DoNotOptimize(::read(fd, buffer.get(), size));
        ::close(fd);
        benchmark::DoNotOptimize(buffer.get());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ReadFileBaseline)->Unit(benchmark::kMillisecond);

void BM_LoadDrawing(benchmark::State& state) {
    const std::string& path = Files().source;
    CountingHost host;
    const ScopedHost installed(host);
    for (auto _ : state) {
        TAVecImage drawing;
        LoadDrawing(path, drawing);
        benchmark::DoNotOptimize(drawing.Commands.data());
        benchmark::ClobberMemory();
    }
    state.counters["pumps/load"] =
        static_cast<double>(host.pumps) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LoadDrawing)->Unit(benchmark::kMillisecond);

void BM_WriteFileBaseline(benchmark::State& state) {
    const TAVecImage& d = Files().drawing;
    const std::string path = Files().target + ".plain";
    for (auto _ : state) {
        ::unlink(path.c_str());
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        benchmark::DoNotOptimize(::write(fd, d.Header.data(), HeaderSize));
        benchmark::DoNotOptimize(
            ::write(fd, d.Commands.data(), d.Commands.size() * sizeof(TDrawCommand)));
        ::fsync(fd);
        ::close(fd);
    }
}
BENCHMARK(BM_WriteFileBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveDrawing(benchmark::State& state) {
    const TAVecImage& d = Files().drawing;
    const std::string& path = Files().target;
    for (auto _ : state) {
        std::int32_t saved = 0;
        SaveDrawing(path, d, saved);
        benchmark::DoNotOptimize(saved);
    }
}
BENCHMARK(BM_SaveDrawing)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_VectorPushBack(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<TDrawCommand> records;
        for (std::int32_t i = 0; i < BenchRecords; ++i) {
            const auto b = static_cast<std::uint8_t>(i);
            records.push_back({CmdLine, {b, b, b, b}, RecordTerminator});
        }
        benchmark::DoNotOptimize(records.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_VectorPushBack)->Unit(benchmark::kMillisecond);

// A stroke under a rotated, scaled and shifted view, one call per pointer move.
void BM_AddCommandAppend(benchmark::State& state) {
    for (auto _ : state) {
        TAVecImage drawing;
        for (std::int32_t i = 0; i < BenchRecords; ++i) {
            AddCommand(drawing, 300 + i % 1024, 200 + (i >> 10) % 512, 683, 384, NoIndex, 1.75,
                       0.35, CmdLine);
        }
        benchmark::DoNotOptimize(drawing.Commands.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_AddCommandAppend)->Unit(benchmark::kMillisecond);

} // namespace
