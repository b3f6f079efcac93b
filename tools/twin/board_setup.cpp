#include "board_setup.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "ZorvanL.h"

namespace twin_tools {

namespace {

std::string check(const char* step, int32_t result) {
    if (result == 0) return {};
    char text[8192] = {};
    GetLastErrorInfo(0, text);
    return std::string(step) + " returned " + std::to_string(result) + " " + text;
}

}  // namespace

std::string programDirectory() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : self.parent_path().string();
}

std::string connectBoard(const std::string& firmwareDir, const std::string& config) {
    if (QmioTest_Configure(config.c_str()) != 1) return "the emulator took no board";
    return check("ConnectDevice", ConnectDevice(0, firmwareDir.c_str()));
}

void disconnectBoard() {
    DisconnectDevice(0);
}

std::string deviceLoad(const std::string& firmwareDir, const Setup& s,
                       const std::vector<std::uint8_t>& source) {
    _SetModKind(0, s.kind);
    _SetFilterType(0, s.filterType);
    _SetSpectrInv(0, s.spectrumInversion);
    char name[32] = {};
    std::string failed =
        check("SetModeGetFWFName", SetModeGetFWFName(0, s.sourceMode, s.carrierMHz, s.clockKHz, name));
    const std::string image = firmwareDir + "/" + name;
    if (failed.empty()) failed = check("FPGALoad", FPGALoad(0, image.c_str()));
    if (failed.empty()) failed = check("LoadModulationRAM", LoadModulationRAM(0));
    if (failed.empty()) failed = check("WriteNoise", WriteNoise(0, s.noiseKind, s.noiseDb, s.sineKHz));
    if (failed.empty()) failed = check("Write_TI", Write_TI(0, s.clockKHz));
    if (failed.empty()) failed = check("Write_VN", Write_VN(0, s.carrierMHz));
    if (failed.empty()) failed = check("LoadPunct", LoadPunct(0, s.code));
    if (failed.empty()) failed = check("WriteDiffPU", WriteDiffPU(0, s.code, s.scrambler, s.differential));
    if (failed.empty()) failed = check("WriteBitMap", WriteBitMap(0, s.bitMapDifferential));
    if (failed.empty()) failed = check("Load_RAM_CEOQPSK", Load_RAM_CEOQPSK(0));
    if (!failed.empty() || s.sourceMode >= 2) return failed;
    char pattern[] = "/tmp/zorvanl_twin_XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0) return "no temporary file for the source";
    close(fd);
    std::ofstream(pattern, std::ios::binary)
        .write(reinterpret_cast<const char*>(source.data()), static_cast<std::streamsize>(source.size()));
    failed = check("Load_RAM", Load_RAM(0, pattern, 0));
    std::remove(pattern);
    if (failed.empty()) failed = check("SetPackingOrder", SetPackingOrder(0, 0, 0));
    return failed;
}

QmioTestSignal signalInfo() {
    QmioTestSignal info{};
    QmioTest_Signal(0, &info);
    return info;
}

std::vector<std::complex<float>> render(std::size_t count, std::uint64_t seed) {
    std::vector<std::complex<float>> samples(count);
    const int64_t got =
        QmioTest_RenderSignal(0, reinterpret_cast<float*>(samples.data()), static_cast<int64_t>(count), seed);
    samples.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return samples;
}

}  // namespace twin_tools
