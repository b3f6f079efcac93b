#include "constellations.h"

#include <liquid/liquid.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace firmware {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

// Scales `points` to unit mean energy.
std::vector<Point> unitEnergy(std::vector<Point> points) {
    double energy = 0.0;
    for (const Point& p : points)
        energy += std::norm(p);
    const double scale = 1.0 / std::sqrt(energy / static_cast<double>(points.size()));
    for (Point& p : points)
        p *= scale;
    return points;
}

// The symbols of a liquid-dsp modem, point p being the symbol of label relabel(p).
template <typename Relabel>
std::vector<Point> fromLiquid(modulation_scheme scheme, Relabel relabel) {
    modemcf modem = modemcf_create(scheme);
    if (modem == nullptr) throw std::runtime_error("liquid-dsp has no modem for this scheme");
    const unsigned count = 1u << modemcf_get_bps(modem);
    std::vector<Point> points(count);
    for (unsigned p = 0; p < count; ++p) {
        liquid_float_complex symbol;
        modemcf_modulate(modem, relabel(p), &symbol);
        points[p] = Point(symbol.real(), symbol.imag());
    }
    modemcf_destroy(modem);
    return points;
}

std::vector<Point> fromLiquid(modulation_scheme scheme) {
    return fromLiquid(scheme, [](unsigned p) { return p; });
}

// Rings given per label as (radius, angle in degrees).
struct Polar {
    double radius;
    double degrees;
};
std::vector<Point> fromPolar(const std::vector<Polar>& table) {
    std::vector<Point> points;
    for (const Polar& entry : table)
        points.push_back(std::polar(entry.radius, entry.degrees * kDegree));
    return points;
}

// liquid-dsp's QPSK gives the sign of I by label bit 0 and of Q by bit 1; ours the other way round.
std::vector<Point> qpsk() {
    return fromLiquid(LIQUID_MODEM_QPSK, [](unsigned p) { return ((p & 1u) << 1) | (p >> 1); });
}

std::vector<Point> pi4Qpsk() {
    std::vector<Point> points = qpsk();
    const Point turn = std::polar(1.0, 45.0 * kDegree);
    for (std::size_t p = 0; p < 4; ++p)
        points.push_back(points[p] * turn);
    return points;
}

std::vector<Point> psk8() {
    return fromPolar({{1, 45}, {1, 0}, {1, 180}, {1, 225}, {1, 90}, {1, 315}, {1, 135}, {1, 270}});
}

std::vector<Point> star8Qam() {
    const double outer = (1.0 + std::sqrt(3.0)) / std::sqrt(2.0);
    return fromPolar(
        {{1, 45}, {1, -45}, {1, 135}, {1, -135}, {outer, 0}, {outer, -90}, {outer, 90}, {outer, 180}});
}

std::vector<Point> square8Qam() {
    // The ring of eight counter-clockwise from the I axis; position k carries label k ^ (k >> 1).
    const Point ring[8] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    std::vector<Point> points(8);
    for (unsigned k = 0; k < 8; ++k)
        points[k ^ (k >> 1)] = ring[k];
    return points;
}

std::vector<Point> apsk16() {
    const double r1 = 1.0, r2 = 3.15;
    return fromPolar({{r2, 45},
                      {r2, -45},
                      {r2, 135},
                      {r2, -135},
                      {r2, 15},
                      {r2, -15},
                      {r2, 165},
                      {r2, -165},
                      {r2, 75},
                      {r2, -75},
                      {r2, 105},
                      {r2, -105},
                      {r1, 45},
                      {r1, -45},
                      {r1, 135},
                      {r1, -135}});
}

std::vector<Point> apsk32() {
    const double r1 = 1.0, r2 = 2.84, r3 = 5.27;
    return fromPolar({{r2, 45},     {r2, 75},     {r2, -45},  {r2, -75}, {r2, 135}, {r2, 105},   {r2, -135},
                      {r2, -105},   {r3, 22.5},   {r3, 67.5}, {r3, -45}, {r3, -90}, {r3, 135},   {r3, 90},
                      {r3, -157.5}, {r3, -112.5}, {r2, 15},   {r1, 45},  {r2, -15}, {r1, -45},   {r2, 165},
                      {r1, 135},    {r2, -165},   {r1, -135}, {r3, 0},   {r3, 45},  {r3, -22.5}, {r3, -67.5},
                      {r3, 157.5},  {r3, 112.5},  {r3, 180},  {r3, -135}});
}

}  // namespace

std::vector<Constellation> constellationSet() {
    std::vector<Constellation> set = {
        {"c_Off", {Point(0, 0), Point(0, 0)}},
        {"c_NoMod", {Point(1, 0), Point(1, 0)}},
        {"cBPSK", unitEnergy(fromLiquid(LIQUID_MODEM_BPSK))},
        {"cQPSK", unitEnergy(qpsk())},
        {"c8PSK", unitEnergy(psk8())},
        {"c8QAM", unitEnergy(fromLiquid(LIQUID_MODEM_QAM8))},
        {"c16QAM", unitEnergy(fromLiquid(LIQUID_MODEM_QAM16))},
        {"c32QAM", unitEnergy(fromLiquid(LIQUID_MODEM_SQAM32))},
        {"c64QAM", unitEnergy(fromLiquid(LIQUID_MODEM_QAM64))},
        {"cpi4QPSK", unitEnergy(pi4Qpsk())},
        {"c16APSK2", unitEnergy(apsk16())},
        {"c32APSK3", unitEnergy(apsk32())},
        {"c128QAM", unitEnergy(fromLiquid(LIQUID_MODEM_SQAM128))},
        {"c256QAM", unitEnergy(fromLiquid(LIQUID_MODEM_QAM256))},
        {"c8QAM_DS", unitEnergy(star8Qam())},
        {"c8QAM_PD", unitEnergy(square8Qam())},
    };
    return set;
}

double commonRmsLevel(const std::vector<Constellation>& set) {
    double peak = 0.0;  // largest coordinate at unit rms
    for (const Constellation& c : set)
        for (const Point& p : c.points)
            peak = std::max({peak, std::abs(p.real()), std::abs(p.imag())});
    return 127.0 / peak;
}

std::vector<int> quantize(const Constellation& constellation, double level) {
    std::vector<int> integers;
    for (const Point& p : constellation.points) {
        integers.push_back(static_cast<int>(std::lround(p.real() * level)));
        integers.push_back(static_cast<int>(std::lround(p.imag() * level)));
    }
    return integers;
}

std::string constellationText(const std::vector<int>& integers) {
    std::string text;
    for (std::size_t i = 0; i < integers.size(); i += 2)
        text += std::to_string(integers[i]) + " " + std::to_string(integers[i + 1]) + "\n";
    return text;
}

}  // namespace firmware
