// The decals of a ship a peer asks a host to build, on the sample data: taken
// from the decal cache (each definition read once), against a walk of
// "temp.iff" for every ship (the cache emptied before each), which is what
// each such ship cost before the cache.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "game/DataDirectories.h"
#include "game/DefinitionFormat.h"
#include "mission/DecalCache.h"
#include "bench/BenchSampleTree.h"

namespace {

std::string SampleDefinitions(benchmark::State& state) {
    namespace fs = std::filesystem;
    std::string error;
    const fs::path root = BenchSampleTree(&error);
    if (root.empty()) {
        state.SkipWithError(error.c_str());
        return std::string();
    }
    return (root / "data" / definition_format::kFileName).string();
}

void BM_DecalsOfAShip(benchmark::State& state) {
    const bool cached = state.range(0) != 0;
    const std::string path = SampleDefinitions(state);
    if (path.empty()) return;
    DecalCache cache;
    Status status = kStatusOk;
    for (auto _ : state) {
        if (!cached) cache.Clear();
        const DecalCache::Decals* const decals = cache.Find(path, "P101", &status);
        if (decals == nullptr || decals->empty()) {
            state.SkipWithError("the sample fighter has no decals");
            return;
        }
        benchmark::DoNotOptimize(decals);
    }
    state.counters["file reads"] = double(cache.FileReads());
}
BENCHMARK(BM_DecalsOfAShip)->Arg(1)->Arg(0)->ArgName("cached");

}  // namespace
