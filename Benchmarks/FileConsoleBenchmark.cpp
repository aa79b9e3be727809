// Log-file lines per second, each line flushed: the file console in text
// format against spdlog's basic file sink flushing on every message.
#include <Vexir/Console.h>

#include <benchmark/benchmark.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>

#include <filesystem>
#include <string>

#include "BenchmarkMain.h"

namespace {

std::string ScratchFolder()
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vexir-bench";
    std::filesystem::create_directories(folder);
    return folder.string();
}

void BM_FileConsole_Text(benchmark::State& state)
{
    Vexir::IMgrConsole* manager = Vexir::GetMgrConsole();
    manager->RemoveAllConsoles(true);
    auto* settings = static_cast<Vexir::IFileConsoleInterface*>(
        manager->GetConsole(Vexir::IMgrConsole::File)->GetInterface(Vexir::InterfaceBase::File));
    settings->SetDirectory(ScratchFolder());
    settings->SetFileName("console.log");
    int frame = 0;
    for (auto _ : state)
        manager->PrintInfo("frame %d rendered in %d ms", ++frame, 16);
    manager->RemoveAllConsoles(true);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FileConsole_Text);

void BM_Spdlog_BasicFileSink(benchmark::State& state)
{
    auto sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(ScratchFolder() + "/spdlog.log", true);
    spdlog::logger logger("file", sink);
    logger.set_pattern("[%H:%M:%S]  [%L] %v");
    logger.flush_on(spdlog::level::trace);
    int frame = 0;
    for (auto _ : state)
        logger.info("frame {} rendered in {} ms", ++frame, 16);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Spdlog_BasicFileSink);

const bool s_registered = [] {
    VexirBench::CompareRates("File console lines / spdlog basic_file_sink (flush each)", "BM_FileConsole_Text",
                             "BM_Spdlog_BasicFileSink", 1.0);
    return true;
}();

}  // namespace
