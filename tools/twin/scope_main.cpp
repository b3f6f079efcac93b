// zorvanl-scope: pictures of the signal the emulated board makes after a device load: the power
// spectrum (Welch; the carrier and the occupied band marked), the constellation after the matched
// filter and symbol timing, and the eye diagram of I; prints the carrier, the occupied bandwidth,
// Es/N0 and Eb/N0.
//   zorvanl-scope [--kind N] [--filter N] [--clock kHz] [--carrier MHz] [--noise dB] [--code N]
//                 [--inversion] [--out directory] [--firmware directory]
#include <cairo/cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "board_setup.h"
#include "measure.h"
#include "receiver.h"

using namespace twin_tools;

namespace {

constexpr int kWidth = 640, kHeight = 480, kMargin = 50;

struct Canvas {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    Canvas(const std::string& title) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
        cairo_rectangle(cr, kMargin, kMargin, kWidth - 2 * kMargin, kHeight - 2 * kMargin);
        cairo_stroke(cr);
        text(kMargin, kMargin - 15, title, 14);
    }
    ~Canvas() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    void text(double x, double y, const std::string& t, double size = 11) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, size);
        cairo_move_to(cr, x, y);
        cairo_show_text(cr, t.c_str());
    }
    // Plot coordinates: x, y in 0..1 inside the frame.
    double px(double x) const { return kMargin + x * (kWidth - 2 * kMargin); }
    double py(double y) const { return kHeight - kMargin - y * (kHeight - 2 * kMargin); }
    bool save(const std::string& path) {
        return cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    }
};

// `v` with `decimals` decimals.
std::string format(int decimals, double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

bool spectrumPicture(const std::string& path, const Spectrum& full, const Band& band, double carrierHz) {
    Canvas c("Power spectrum (Welch), dB");
    // The signal and as much again on either side.
    const double half = std::max(band.widthHz(), 20 * full.binHz);
    Spectrum s;
    for (std::size_t k = 0; k < full.powerDb.size(); ++k)
        if (std::abs(full.frequencyHz[k] - band.centreHz()) <= half) {
            s.frequencyHz.push_back(full.frequencyHz[k]);
            s.powerDb.push_back(full.powerDb[k]);
        }
    if (s.frequencyHz.size() < 2) return false;
    const double span = s.frequencyHz.back() - s.frequencyHz.front();
    const auto fx = [&](double f) { return (f - s.frequencyHz.front()) / span; };
    const auto fy = [](double db) { return std::clamp((db + 80.0) / 85.0, 0.0, 1.0); };
    for (int db = 0; db >= -80; db -= 20) {
        cairo_set_source_rgb(c.cr, 0.9, 0.9, 0.9);
        cairo_move_to(c.cr, c.px(0), c.py(fy(db)));
        cairo_line_to(c.cr, c.px(1), c.py(fy(db)));
        cairo_stroke(c.cr);
        c.text(8, c.py(fy(db)) + 4, std::to_string(db));
    }
    cairo_set_source_rgba(c.cr, 0.2, 0.7, 0.2, 0.25);
    cairo_rectangle(c.cr, c.px(fx(band.lowHz)), c.py(1), c.px(fx(band.highHz)) - c.px(fx(band.lowHz)),
                    c.py(0) - c.py(1));
    cairo_fill(c.cr);
    cairo_set_source_rgb(c.cr, 0.8, 0, 0);
    cairo_move_to(c.cr, c.px(fx(band.centreHz())), c.py(0));
    cairo_line_to(c.cr, c.px(fx(band.centreHz())), c.py(1));
    cairo_stroke(c.cr);
    cairo_set_source_rgb(c.cr, 0, 0.2, 0.7);
    for (std::size_t k = 0; k < s.powerDb.size(); ++k) {
        const double x = c.px(fx(s.frequencyHz[k])), y = c.py(fy(s.powerDb[k]));
        k == 0 ? cairo_move_to(c.cr, x, y) : cairo_line_to(c.cr, x, y);
    }
    cairo_stroke(c.cr);
    for (int i = 0; i <= 4; ++i) {
        const double f = s.frequencyHz.front() + span * i / 4;
        c.text(c.px(i / 4.0) - 20, kHeight - kMargin + 16, format(0, f / 1e3));
    }
    c.text(kWidth / 2 - 130, kHeight - 12,
           "kHz from the carrier (" + format(3, carrierHz / 1e6) + " MHz, red)");
    c.text(c.px(0.02), c.py(0.95),
           "occupied " + format(1, band.widthHz() / 1e3) + " kHz (green, " + format(0, band.depthDb) +
               " dB below the peak)");
    return c.save(path);
}

bool constellationPicture(const std::string& path, const std::vector<Complex>& symbols) {
    Canvas c("Constellation after matched filter and symbol timing");
    const auto map = [](float v) { return std::clamp((v + 1.6) / 3.2, 0.0, 1.0); };
    cairo_set_source_rgb(c.cr, 0.85, 0.85, 0.85);
    cairo_move_to(c.cr, c.px(0.5), c.py(0));
    cairo_line_to(c.cr, c.px(0.5), c.py(1));
    cairo_move_to(c.cr, c.px(0), c.py(0.5));
    cairo_line_to(c.cr, c.px(1), c.py(0.5));
    cairo_stroke(c.cr);
    cairo_set_source_rgba(c.cr, 0, 0.2, 0.7, 0.35);
    for (const auto& s : symbols) {
        cairo_rectangle(c.cr, c.px(map(s.real())) - 1, c.py(map(s.imag())) - 1, 2, 2);
        cairo_fill(c.cr);
    }
    c.text(kWidth / 2 - 20, kHeight - 15, "I (unit mean power)");
    return c.save(path);
}

bool eyePicture(const std::string& path, const std::vector<Complex>& filtered, unsigned sps,
                std::size_t delay) {
    Canvas c("Eye diagram of I after the matched filter, two symbols");
    double peak = 1e-9;
    for (std::size_t n = delay; n < filtered.size(); ++n)
        peak = std::max(peak, static_cast<double>(std::abs(filtered[n].real())));
    cairo_set_source_rgba(c.cr, 0, 0.2, 0.7, 0.15);
    cairo_set_line_width(c.cr, 1);
    const std::size_t traces = std::min<std::size_t>(400, (filtered.size() - delay) / sps - 2);
    for (std::size_t t = 0; t < traces; ++t) {
        const std::size_t start = delay + t * sps - sps / 2 + sps;
        for (unsigned k = 0; k <= 2 * sps; ++k) {
            const double x = c.px(static_cast<double>(k) / (2 * sps));
            const double y = c.py(0.5 + 0.45 * filtered[start + k].real() / peak);
            k == 0 ? cairo_move_to(c.cr, x, y) : cairo_line_to(c.cr, x, y);
        }
        cairo_stroke(c.cr);
    }
    c.text(kWidth / 2 - 40, kHeight - 15, "time, symbols");
    return c.save(path);
}

}  // namespace

int main(int argc, char** argv) {
    Setup setup;
    std::string out = ".", firmware = programDirectory() + "/Firmware";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        const auto number = [&] { return v ? std::atof(argv[++i]) : 0.0; };
        if (a == "--kind")
            setup.kind = static_cast<std::uint8_t>(number());
        else if (a == "--filter")
            setup.filterType = static_cast<std::uint8_t>(number());
        else if (a == "--clock")
            setup.clockKHz = number();
        else if (a == "--carrier")
            setup.carrierMHz = number();
        else if (a == "--code")
            setup.code = static_cast<std::uint8_t>(number());
        else if (a == "--noise")
            setup.noiseKind = 1, setup.noiseDb = number();
        else if (a == "--inversion")
            setup.spectrumInversion = 1;
        else if (a == "--out" && v)
            out = argv[++i];
        else if (a == "--firmware" && v)
            firmware = argv[++i];
        else {
            std::fprintf(stderr,
                         "usage: zorvanl-scope [--kind N] [--filter N] [--clock kHz] [--carrier MHz] "
                         "[--noise dB] [--code N] [--inversion] [--out dir] [--firmware dir]\n");
            return 2;
        }
    }
    std::string failed = connectBoard(firmware);
    std::mt19937 random(1);
    std::vector<std::uint8_t> source(1 << 16);
    for (auto& b : source)
        b = static_cast<std::uint8_t>(random());
    if (failed.empty()) failed = deviceLoad(firmware, setup, source);
    if (!failed.empty()) {
        std::fprintf(stderr, "zorvanl-scope: %s\n", failed.c_str());
        return 1;
    }
    const QmioTestSignal info = signalInfo();
    const auto sps = static_cast<unsigned>(info.samplesPerSymbol);
    const auto samples = render(static_cast<std::size_t>(sps) * 20000, 1);
    disconnectBoard();
    if (samples.empty()) {
        std::fprintf(stderr, "zorvanl-scope: the board sends nothing\n");
        return 1;
    }
    const Spectrum spectrum = welch(samples, info.renderRateHz);
    const Band band = occupiedBand(spectrum);
    const auto symbols =
        matchedSymbols(samples, sps, rollOff(setup.filterType), info.offset != 0, info.inverted != 0, false);
    const auto filtered = matchedFilter(samples, sps, rollOff(setup.filterType), info.inverted != 0);
    const bool ok = spectrumPicture(out + "/spectrum.png", spectrum, band, info.carrierHz) &&
                    constellationPicture(out + "/constellation.png",
                                         std::vector<Complex>(symbols.begin() + 16, symbols.end())) &&
                    eyePicture(out + "/eye.png", filtered, sps, 8 * sps - 1);
    const KindInfo* kind = findKind(setup.kind);
    const double received = kind ? measuredEsN0Db(*kind, symbols, firmware) : NAN;
    std::printf("carrier %.6f MHz (NCO), measured centre %+.1f kHz (bin %.1f kHz)\n", info.carrierHz / 1e6,
                (band.centreHz()) / 1e3, spectrum.binHz / 1e3);
    std::printf("symbol rate %.3f ksym/s, %u samples per symbol\n", info.symbolRateHz / 1e3, sps);
    std::printf("occupied bandwidth %.1f kHz (%.0f dB below the peak)\n", band.widthHz() / 1e3, band.depthDb);
    std::printf("Es/N0 %.2f dB (modelled), %.2f dB (received); Eb/N0 %.2f dB\n", info.esN0Db, received,
                info.ebN0Db);
    std::printf("pictures: %s/spectrum.png %s/constellation.png %s/eye.png%s\n", out.c_str(), out.c_str(),
                out.c_str(), ok ? "" : " (not all written)");
    return ok ? 0 : 1;
}
