// Projection picture decoding: the table-driven decoder against the one-bit-per-step tree walk, on
// the demo scenario's generated map (a realistic street map, 1000 x 700 pixels, 2.1 MB decoded) and on
// random bytes (codes of about 8 bits). Throughput counts decoded bytes.
#include "files/HuffmanTree.h"
#include "files/ProjectionWriter.h"
#include "model/PlotraDoc.h"
#include "sim/MapGenerator.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

struct Coded {
    std::vector<std::uint8_t> plain;
    std::vector<std::uint8_t> coded;
    plotra::CHuffmanTree tree;
    explicit Coded(std::vector<std::uint8_t> data) : plain(std::move(data)) {
        tree.BuildTree(plotra::CountBytes(plain));
        coded = plotra::HuffmanEncode(tree, plain);
    }
};

const Coded& DemoMap() {
    static const Coded c(
        plotra::sim::GenerateMap(plotra::sim::Generate(*plotra::sim::BuiltInScenario("demo"), 1)).bmp);
    return c;
}

const Coded& RandomBytes() {
    static const Coded c([] {
        std::mt19937 rng(1);
        std::vector<std::uint8_t> v(2'000'000);
        for (auto& b : v)
            b = static_cast<std::uint8_t>(rng());
        return v;
    }());
    return c;
}

template <bool kTable> void Run(benchmark::State& state, const Coded& c) {
    std::vector<std::uint8_t> out(c.plain.size());
    for (auto _ : state) {
        const std::size_t n = kTable ? c.tree.Decode(c.coded, out) : c.tree.DecodeTreeWalk(c.coded, out);
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(out.data());
    }
    if (out != c.plain) state.SkipWithError("decoded bytes differ");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(c.plain.size()));
    state.counters["bits_per_byte"] =
        8.0 * static_cast<double>(c.coded.size()) / static_cast<double>(c.plain.size());
}

void BM_DecodeTable_DemoMap(benchmark::State& s) {
    Run<true>(s, DemoMap());
}
void BM_DecodeTreeWalk_DemoMap(benchmark::State& s) {
    Run<false>(s, DemoMap());
}
void BM_DecodeTable_RandomBytes(benchmark::State& s) {
    Run<true>(s, RandomBytes());
}
void BM_DecodeTreeWalk_RandomBytes(benchmark::State& s) {
    Run<false>(s, RandomBytes());
}
BENCHMARK(BM_DecodeTable_DemoMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTreeWalk_DemoMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTable_RandomBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTreeWalk_RandomBytes)->Unit(benchmark::kMillisecond);

/// The whole load of the demo map's projection file: checks, tree, decoding, BMP check, geometry.
void BM_ReadProjectionFile_DemoMap(benchmark::State& state) {
    const auto map =
        plotra::sim::GenerateMap(plotra::sim::Generate(*plotra::sim::BuiltInScenario("demo"), 1));
    plotra::ProjectionImage image;
    image.coefficients = map.coefficients;
    image.picture = map.bmp;
    const auto file = plotra::EncodeProjectionFile(image);
    for (auto _ : state) {
        plotra::CPlotraDoc doc;
        const bool ok = doc.ReadProjectionFile(file);
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(map.bmp.size()));
    state.counters["file_KB"] = static_cast<double>(file.size()) / 1024.0;
}
BENCHMARK(BM_ReadProjectionFile_DemoMap)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
