#include "constellations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numbers>
#include <set>

#include "dsp_checks.h"

namespace firmware {
namespace {

// The file the library loads for each modulation kind 0-19.
const char* const kStemOfKind[20] = {"c_Off",    "c_NoMod", "cBPSK",    "cQPSK",    "cQPSK",
                                     "c8PSK",    "c8QAM",   "c16QAM",   "c32QAM",   "c64QAM",
                                     "cpi4QPSK", "cQPSK",   "c16APSK2", "c32APSK3", "cQPSK",
                                     "cQPSK",    "c128QAM", "c256QAM",  "c8QAM_DS", "c8QAM_PD"};
const std::set<std::string> kGray = {"cBPSK",  "cQPSK",   "c8PSK",    "c8QAM",   "c16QAM",
                                     "c64QAM", "c256QAM", "c16APSK2", "c8QAM_PD"};

std::map<std::string, std::vector<Point>> byStem() {
    std::map<std::string, std::vector<Point>> set;
    for (const Constellation& c : constellationSet())
        set[c.stem] = c.points;
    return set;
}

// Label bits differing between each point and its nearest neighbours (the points at its own
// minimum distance): the largest count and the mean over all neighbour pairs.
std::pair<int, double> neighbourBits(const std::vector<Point>& points) {
    int largest = 0, pairs = 0, bits = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        double nearest = INFINITY;
        for (std::size_t j = 0; j < points.size(); ++j)
            if (j != i) nearest = std::min(nearest, std::abs(points[i] - points[j]));
        for (std::size_t j = 0; j < points.size(); ++j)
            if (j != i && std::abs(points[i] - points[j]) < nearest * 1.02) {
                largest = std::max(largest, std::popcount(static_cast<unsigned>(i ^ j)));
                bits += std::popcount(static_cast<unsigned>(i ^ j));
                ++pairs;
            }
    }
    return {largest, static_cast<double>(bits) / pairs};
}

// Points per ring radius (radii relative to the innermost ring).
std::map<double, int> rings(const std::vector<Point>& points) {
    double inner = INFINITY;
    for (const Point& p : points)
        inner = std::min(inner, std::abs(p));
    std::map<double, int> count;
    for (const Point& p : points)
        ++count[std::round(std::abs(p) / inner * 1e6) / 1e6];
    return count;
}

TEST(Constellations, EveryModulationKindHasAUnitEnergyTableOfItsSize) {
    const auto set = byStem();
    EXPECT_EQ(set.size(), 16u);
    for (int kind = 0; kind < 20; ++kind)
        EXPECT_TRUE(set.count(kStemOfKind[kind])) << kind;
    const std::map<std::string, std::size_t> size = {
        {"cBPSK", 2},     {"cQPSK", 4},     {"c8PSK", 8},    {"c8QAM", 8},     {"c16QAM", 16},
        {"c32QAM", 32},   {"c64QAM", 64},   {"cpi4QPSK", 8}, {"c16APSK2", 16}, {"c32APSK3", 32},
        {"c128QAM", 128}, {"c256QAM", 256}, {"c8QAM_DS", 8}, {"c8QAM_PD", 8}};
    for (const auto& [stem, count] : size) {
        const auto& points = set.at(stem);
        ASSERT_EQ(points.size(), count) << stem;
        double energy = 0.0;
        for (const Point& p : points)
            energy += std::norm(p);
        EXPECT_NEAR(energy / static_cast<double>(count), 1.0, 1e-9) << stem;
    }
}

TEST(Constellations, GrayLabellingWhereStandardAndNearGrayElsewhere) {
    for (const auto& [stem, points] : byStem()) {
        if (stem == "c_Off" || stem == "c_NoMod" || stem == "cpi4QPSK") continue;
        const auto [largest, mean] = neighbourBits(points);
        // Cross QAM, 32APSK and star 8QAM cannot be Gray; their labellings come close.
        if (kGray.count(stem)) {
            EXPECT_EQ(largest, 1) << stem;
        } else {
            EXPECT_LE(mean, stem == "c8QAM_DS" ? 1.5 : 1.2) << stem;
        }
    }
    // pi/4-QPSK: the QPSK table, then the same labels turned by 45 degrees.
    const auto set = byStem();
    const auto& pi4 = set.at("cpi4QPSK");
    for (std::size_t p = 0; p < 4; ++p) {
        EXPECT_NEAR(std::abs(pi4[p] - set.at("cQPSK")[p]), 0.0, 1e-9);
        EXPECT_NEAR(std::abs(pi4[p + 4] - pi4[p] * std::polar(1.0, std::numbers::pi / 4)), 0.0, 1e-9);
    }
}

TEST(Constellations, QpskLabelsTurnAsTheDifferentialBitMapExpects) {
    // The board's differential QPSK map turns label (m1, m0) into (not m0, m1) for a quarter turn;
    // label bit 1 gives the sign of I, bit 0 the sign of Q.
    const auto qpsk = byStem().at("cQPSK");
    for (unsigned p = 0; p < 4; ++p) {
        const unsigned turned = ((~p & 1u) << 1) | (p >> 1);
        EXPECT_NEAR(std::abs(qpsk[p] * Point(0, 1) - qpsk[turned]), 0.0, 1e-9) << p;
        EXPECT_EQ(qpsk[p].real() < 0, (p & 2u) != 0);
        EXPECT_EQ(qpsk[p].imag() < 0, (p & 1u) != 0);
    }
}

TEST(Constellations, ApskRingsHaveTheDvbS2RatiosAndCounts) {
    const auto set = byStem();
    EXPECT_EQ(rings(set.at("c16APSK2")), (std::map<double, int>{{1.0, 4}, {3.15, 12}}));
    EXPECT_EQ(rings(set.at("c32APSK3")), (std::map<double, int>{{1.0, 4}, {2.84, 12}, {5.27, 16}}));
    for (std::size_t p = 12; p < 16; ++p)  // labels 11xx on the inner ring of 16APSK
        EXPECT_LT(std::abs(set.at("c16APSK2")[p]), 0.5);
}

TEST(ConstellationFiles, EqualPowerWithinTheEightBitRangeAndLabellingKept) {
    const auto set = constellationSet();
    const double level = commonRmsLevel(set);
    int largest = 0;
    for (const Constellation& c : set) {
        SCOPED_TRACE(c.stem);
        const std::vector<double> read = test::readNumbers(constellationText(quantize(c, level)));
        ASSERT_EQ(read.size(), 2 * c.points.size());
        std::vector<Point> points;
        double power = 0.0;
        for (std::size_t i = 0; i < read.size(); i += 2) {
            for (double v : {read[i], read[i + 1]}) {
                ASSERT_EQ(v, std::round(v));
                ASSERT_LE(std::abs(v), 127.0);
                largest = std::max(largest, static_cast<int>(std::abs(v)));
            }
            points.emplace_back(read[i], read[i + 1]);
            power += std::norm(points.back()) / static_cast<double>(c.points.size());
        }
        EXPECT_NEAR(std::sqrt(power), c.stem == "c_Off" ? 0.0 : level, 0.015 * level);
        if (c.stem == "c_NoMod" || c.stem == "c_Off") {
            EXPECT_EQ(points[0], points[1]);
        }
        if (kGray.count(c.stem)) {
            EXPECT_EQ(neighbourBits(points).first, 1);
        }
    }
    EXPECT_EQ(largest, 127);
}

}  // namespace
}  // namespace firmware
