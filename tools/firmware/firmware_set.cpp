#include "firmware_set.h"

#include <fstream>
#include <stdexcept>

#include "constellations.h"
#include "filters.h"
#include "fpga_images.h"
#include "test_signals.h"

namespace firmware {
namespace {

namespace fs = std::filesystem;

template <typename Bytes>
void writeFile(const fs::path& path, const Bytes& bytes) {
    // Binary mode everywhere: the text files get "\n" line ends, which the library reads in text
    // mode on any platform.
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string shapingFileName(const std::string& prefix, int samplesPerSymbol) {
    return prefix + std::to_string(samplesPerSymbol) + ".dat";
}

}  // namespace

void writeFirmwareSet(const fs::path& binDir) {
    const fs::path firmwareDir = binDir / "Firmware";
    const fs::path signalDir = binDir / "Signals";
    for (const fs::path& dir : {firmwareDir / "Const", firmwareDir / "Filter", signalDir})
        fs::create_directories(dir);

    const std::vector<Constellation> constellations = constellationSet();
    const double level = commonRmsLevel(constellations);
    for (const Constellation& c : constellations)
        writeFile(firmwareDir / "Const" / (c.stem + ".dat"), constellationText(quantize(c, level)));

    for (int samplesPerSymbol : samplesPerSymbolValues()) {
        const auto filters = shapingFilterSet(samplesPerSymbol);
        for (std::size_t i = 0; i < filters.size(); ++i)
            writeFile(firmwareDir / "Filter" / shapingFileName(shapingDesigns()[i].prefix, samplesPerSymbol),
                      coefficientText(filters[i]));
    }
    writeFile(firmwareDir / "Filter" / "pf512_70.dat", coefficientText(postFilter()));

    for (const auto& header : fpgaImageSet())
        writeFile(firmwareDir / (header.name + ".bit"), buildImage(header));

    const std::vector<SignalFile> signals = signalFiles();
    for (const SignalFile& file : signals)
        writeFile(signalDir / file.name, file.bytes);
    writeFile(signalDir / "README.txt", signalReadme(signals));
}

}  // namespace firmware
