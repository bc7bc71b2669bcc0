// The survey exports: ksd csv in records a second (without samples, and with them) and ksd
// geotiff in frames a second, on a simulated survey with GPS and the orientation module.
// The file is read from the page cache; the outputs go to /tmp.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "export/csv_export.h"
#include "export/sweep_export.h"
#include "tests/export/simulated_survey.h"

namespace tarvisk {
namespace {

struct Survey {
    std::string path;
    test::SurveyRecording recording;
};

// A polar survey: a sweep every 150 shots, a fix a second, the module once a second.
const Survey& PolarSurvey() {
    static const Survey survey = [] {
        Survey s;
        s.path = (std::filesystem::temp_directory_path() / "tarvisk-export-bench.ksd").string();
        test::SurveyPlan plan;
        plan.seconds = 300.0;
        s.recording = test::WriteSimulatedSurvey(s.path, plan);
        return s;
    }();
    return survey;
}

void Csv(benchmark::State& state, bool samples) {
    const Survey& survey = PolarSurvey();
    const std::string out =
        (std::filesystem::temp_directory_path() / "tarvisk-export-bench.csv").string();
    int64_t records = 0;
    for (auto _ : state) {
        const CsvExportResult r = ExportCsv({survey.path, out, samples});
        if (!r.ok)
            state.SkipWithError(r.error.c_str());
        records += r.records;
    }
    state.counters["records/s"] =
        benchmark::Counter(double(records), benchmark::Counter::kIsRate);
    std::filesystem::remove(out);
}
void BM_KsdCsv(benchmark::State& state) {
    Csv(state, false);
}
void BM_KsdCsvWithSamples(benchmark::State& state) {
    Csv(state, true);
}

void BM_KsdGeotiff(benchmark::State& state) {
    const Survey& survey = PolarSurvey();
    const std::string dir =
        (std::filesystem::temp_directory_path() / "tarvisk-export-bench-frames").string();
    int64_t frames = 0;
    for (auto _ : state) {
        const SweepExportResult r = ExportSweeps({survey.path, dir});
        if (!r.ok)
            state.SkipWithError(r.error.c_str());
        frames += r.frames;
    }
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    std::filesystem::remove_all(dir);
}

BENCHMARK(BM_KsdCsv)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_KsdCsvWithSamples)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_KsdGeotiff)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace tarvisk

BENCHMARK_MAIN();
