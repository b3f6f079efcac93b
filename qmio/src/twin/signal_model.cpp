#include "signal_model.h"

#include <bit>
#include <cmath>
#include <limits>
#include <numbers>

#include "ZorvanLRegisters.h"

namespace qmio::twin {

using namespace zorvan::reg;

namespace {

std::uint8_t reversed(std::uint8_t b) {
    std::uint8_t r = 0;
    for (int i = 0; i < 8; ++i)
        r = static_cast<std::uint8_t>((r << 1) | ((b >> i) & 1));
    return r;
}

}  // namespace

// ---- SourceBits ----

SourceBits::SourceBits(const BoardState& s) {
    if (!s.sourceIsRam) {
        bytes_ = s.sourceBytes;
        return;
    }
    bytes_.reserve(s.sourceBytes.size());
    for (std::size_t w = 0; w + 1 < s.sourceBytes.size(); w += 2) {
        std::uint8_t first = s.sourceBytes[w], second = s.sourceBytes[w + 1];
        if (s.ramByteOrder) std::swap(first, second);
        for (std::uint8_t b : {first, second}) {
            if (s.ramBitOrder) b = reversed(b);
            bytes_.push_back(b);
        }
    }
}

unsigned SourceBits::next() {
    const unsigned bit = (bytes_[bit_ >> 3] >> (7 - (bit_ & 7))) & 1u;
    if (++bit_ == bytes_.size() * 8) bit_ = 0;
    return bit;
}

// ---- Scrambler ----

unsigned Scrambler::apply(unsigned bit) {
    if (!on_) return bit;
    const unsigned feedback = ((reg_ >> 13) ^ (reg_ >> 14)) & 1u;
    reg_ = ((reg_ << 1) | feedback) & 0x7FFF;
    return bit ^ feedback;
}

// ---- ConvolutionalCoder ----

ConvolutionalCoder::ConvolutionalCoder(const BoardState& s) {
    coder_ = coding::kCoder.get(s.coding);
    invertY_ = (s.coding & coding::kVariantI) != 0;
    modelled_ = coder_ == 0 || coder_ == coding::kCoderConvolutional || coder_ == 5;
    if (coder_ != coding::kCoderConvolutional) return;
    const std::uint32_t header = punct::kHeader.get(s.punct[0]);
    const unsigned words = punct::kHeaderWords.get(header);
    if (!(header & punct::kHeaderEnable) || words == 0 || words > punct::kWords) return;
    period_ = punct::kHeaderPeriod.get(header) + 1;
    for (unsigned w = 0; w < words; ++w) {
        const std::uint32_t pattern = punct::kPattern.get(s.punct[w]);
        keep_.push_back(pattern & 0xF);
        keep_.push_back(pattern >> 4);
    }
    periodBits_.assign(2 * period_, 0);
}

double ConvolutionalCoder::rate() const {
    if (coder_ == 5) return 0.5;
    if (coder_ != coding::kCoderConvolutional) return 1.0;
    return keep_.empty() ? 0.5 : static_cast<double>(period_) / static_cast<double>(keep_.size());
}

void ConvolutionalCoder::encode(unsigned bit, std::vector<std::uint8_t>& out) {
    if (coder_ == 5) {
        out.push_back(static_cast<std::uint8_t>(bit));
        out.push_back(static_cast<std::uint8_t>(bit ^ 1u));
        return;
    }
    if (coder_ != coding::kCoderConvolutional) {
        out.push_back(static_cast<std::uint8_t>(bit));
        return;
    }
    state_ = ((state_ << 1) | bit) & 0x7F;
    const auto x = static_cast<std::uint8_t>(std::popcount(state_ & 0x4Fu) & 1);  // 171 octal
    const auto y = static_cast<std::uint8_t>((std::popcount(state_ & 0x6Du) & 1) ^ (invertY_ ? 1 : 0));
    if (keep_.empty()) {
        out.push_back(x);
        out.push_back(y);
        return;
    }
    periodBits_[2 * position_] = x;
    periodBits_[2 * position_ + 1] = y;
    if (++position_ < period_) return;
    position_ = 0;
    for (unsigned k : keep_)
        out.push_back(k < periodBits_.size() ? periodBits_[k] : 0);
}

// ---- BitMapper ----

BitMapper::BitMapper(const BoardState& s) : table_(s.bitMap), bypass_(s.bitMapBypass), pi4_(false), bits_(0) {
    if (s.constShift >= 8 && s.constShift <= 16) bits_ = 16u - static_cast<unsigned>(s.constShift);
    // pi/4-QPSK: the only table whose mapping reads the parity bit (bit 6) of the address.
    pi4_ = !bypass_ && table_.size() == bitmap::kEntries && table_[0x40] != table_[0x00] && bits_ == 2;
    if (table_.size() != bitmap::kEntries) table_.assign(bitmap::kEntries, 0);
}

unsigned BitMapper::map(unsigned label) {
    if (bypass_) return label;
    const unsigned first = bits_ ? (label >> (bits_ - 1)) & 1u : 0;
    const unsigned address = (label & 0x3F) | (first << 6) | ((previous_ & 3u) << 8);
    const unsigned m = table_[address] & 0x3F;
    const unsigned result = pi4_ ? m + 4 * parity_ : m;
    previous_ = m;
    parity_ ^= 1u;
    return result;
}

// ---- ConstellationTable ----

ConstellationTable::ConstellationTable(const BoardState& s) {
    for (unsigned a = 0; a < 256; ++a)
        points_[a] = Sample(s.constI[a], s.constQ[a]);
}

double ConstellationTable::meanPower(unsigned bitsPerSymbol) const {
    const unsigned count = 1u << bitsPerSymbol;
    double sum = 0;
    for (unsigned a = 0; a < count; ++a)
        sum += std::norm(points_[a]);
    return sum / count;
}

// ---- PulseShaper ----

PulseShaper::PulseShaper(const BoardState& s)
    : sps_(s.samplesPerSymbol == 0 ? 1 : s.samplesPerSymbol),
      offset_((s.filterControl & filter::kOffset) != 0),
      inverted_((s.filterControl & filter::kSpectrInv) != 0) {
    std::vector<float> taps;
    if ((s.filterControl & filter::kOn) != 0 && !s.taps.empty()) {
        for (std::int16_t t : s.taps)
            taps.push_back(static_cast<float>(t) / 2048.0f);
    } else {
        taps.assign(sps_, 1.0f);  // no filter: each symbol held for its samples
    }
    span_ = (taps.size() + sps_ - 1) / sps_;
    taps.resize(span_ * sps_, 0.0f);
    energy_ = 0;
    for (float t : taps)
        energy_ += static_cast<double>(t) * t;
    // By output phase j: the taps j, j + S, j + 2S, ... that meet the newest, next ... symbol.
    phaseTaps_.resize(span_ * sps_);
    for (unsigned j = 0; j < sps_; ++j)
        for (std::size_t k = 0; k < span_; ++k)
            phaseTaps_[j * span_ + k] = taps[j + k * sps_];
    history_.assign(2 * span_, Sample{});
    qDelay_.assign(offset_ ? sps_ / 2 : 0, 0.0f);
}

void PulseShaper::push(Sample symbol, Sample* out) {
    // The symbols newest first in history_[head_ .. head_ + span_), kept twice so that no index wraps.
    head_ = head_ == 0 ? span_ - 1 : head_ - 1;
    history_[head_] = symbol;
    history_[head_ + span_] = symbol;
    const Sample* h = history_.data() + head_;
    for (unsigned j = 0; j < sps_; ++j) {
        const float* t = phaseTaps_.data() + j * span_;
        float i = 0, q = 0;
        for (std::size_t k = 0; k < span_; ++k) {
            i += h[k].real() * t[k];
            q += h[k].imag() * t[k];
        }
        if (!qDelay_.empty()) {
            std::swap(q, qDelay_[qHead_]);
            if (++qHead_ == qDelay_.size()) qHead_ = 0;
        }
        out[j] = Sample(i, inverted_ ? -q : q);
    }
}

// ---- NoiseSource ----

NoiseSource::NoiseSource(const BoardState& s, double noisePower, double renderRateHz, std::uint64_t seed)
    : mode_(s.noiseMode),
      sigma_(static_cast<float>(std::sqrt(noisePower / 2.0))),
      amplitude_(std::sqrt(noisePower)),
      state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
    if (mode_ == 2 && renderRateHz > 0) {
        std::int32_t word = static_cast<std::int32_t>(noise::kSineWord.get(s.sineWord) << 2) >> 2;
        const double offsetHz = -static_cast<double>(word) * s.sampleClockHz / 1073741824.0;
        step_ = 2.0 * std::numbers::pi * offsetHz / renderRateHz;
    }
}

namespace {

// Marsaglia and Tsang's ziggurat of 128 layers for the standard normal distribution.
struct Ziggurat {
    std::array<std::uint32_t, 128> k{};
    std::array<float, 128> w{}, f{};
    Ziggurat() {
        const double m = 2147483648.0;
        double d = 3.442619855899, t = d;
        const double v = 9.91256303526217e-3;
        const double q = v / std::exp(-0.5 * d * d);
        k[0] = static_cast<std::uint32_t>(d / q * m);
        k[1] = 0;
        w[0] = static_cast<float>(q / m);
        w[127] = static_cast<float>(d / m);
        f[0] = 1.0f;
        f[127] = static_cast<float>(std::exp(-0.5 * d * d));
        for (int i = 126; i >= 1; --i) {
            d = std::sqrt(-2.0 * std::log(v / d + std::exp(-0.5 * d * d)));
            k[i + 1] = static_cast<std::uint32_t>(d / t * m);
            t = d;
            f[i] = static_cast<float>(std::exp(-0.5 * d * d));
            w[i] = static_cast<float>(d / m);
        }
    }
};
const Ziggurat kZiggurat;

}  // namespace

std::uint64_t NoiseSource::random() {
    state_ ^= state_ >> 12, state_ ^= state_ << 25, state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1Dull;
}

float NoiseSource::uniform() {
    return (static_cast<float>(random() >> 40) + 0.5f) * 0x1.0p-24f;
}

float NoiseSource::gaussian() {
    const Ziggurat& z = kZiggurat;
    for (;;) {
        const auto hz = static_cast<std::int32_t>(random() >> 32);
        const unsigned iz = static_cast<unsigned>(hz) & 127u;
        const auto magnitude = static_cast<std::uint32_t>(hz < 0 ? -static_cast<std::int64_t>(hz) : hz);
        const float x = static_cast<float>(hz) * z.w[iz];
        if (magnitude < z.k[iz]) return x;
        if (iz == 0) {
            // The tail beyond r.
            constexpr float r = 3.442619855899f;
            float tx = 0, ty = 0;
            do {
                tx = -std::log(uniform()) / r;
                ty = -std::log(uniform());
            } while (ty + ty < tx * tx);
            return hz > 0 ? r + tx : -r - tx;
        }
        if (z.f[iz] + uniform() * (z.f[iz - 1] - z.f[iz]) < std::exp(-0.5f * x * x)) return x;
    }
}

Sample NoiseSource::next() {
    if (mode_ == 1) {
        const float i = gaussian();
        return Sample(i, gaussian()) * sigma_;
    }
    if (mode_ == 2) {
        const Sample tone(std::polar(static_cast<float>(amplitude_), static_cast<float>(phase_)));
        phase_ = std::fmod(phase_ + step_, 2.0 * std::numbers::pi);
        return tone;
    }
    return {};
}

// ---- SignalModel ----

SignalModel::SignalModel(BoardState state) : state_(std::move(state)) {
    Parameters& p = params_;
    const PulseShaper shaper(state_);
    const BitMapper mapper(state_);
    const ConvolutionalCoder coder(state_);
    const ConstellationTable table(state_);
    p.samplesPerSymbol = shaper.samplesPerSymbol();
    p.symbolRateHz = state_.symbolRateHz;
    p.renderRateHz = state_.symbolRateHz * p.samplesPerSymbol;
    p.bitsPerSymbol = mapper.bitsPerSymbol();
    p.codeRate = coder.rate();
    p.codingModelled = coder.modelled();
    p.carrierHz = static_cast<double>(static_cast<std::int32_t>(state_.carrierWord)) * state_.sampleClockHz /
                  4294967296.0;
    p.offset = (state_.filterControl & filter::kOffset) != 0;
    p.inverted = (state_.filterControl & filter::kSpectrInv) != 0;
    p.pi4 = state_.constShift == 14 && !state_.bitMapBypass && state_.bitMap.size() == bitmap::kEntries &&
            state_.bitMap[0x40] != state_.bitMap[0];
    const double symbolPower = p.bitsPerSymbol ? table.meanPower(p.bitsPerSymbol + (p.pi4 ? 1 : 0)) : 0.0;
    p.signalPower = symbolPower * shaper.energy() / p.samplesPerSymbol;
    const double level = state_.noiseMode != 0 ? state_.noiseAmplitude / noise::kFullScale * 128.0 : 0.0;
    p.noisePower = level * level;
    if (state_.noiseMode == 1 && p.noisePower > 0) {
        p.esN0Db = 10.0 * std::log10(p.signalPower * p.samplesPerSymbol / p.noisePower);
        const double bits = p.bitsPerSymbol * p.codeRate;
        p.ebN0Db = bits > 0 ? p.esN0Db - 10.0 * std::log10(bits) : p.esN0Db;
    } else {
        p.esN0Db = p.ebN0Db = std::numeric_limits<double>::infinity();
    }
    if (state_.noiseMode == 2) {
        std::int32_t word = static_cast<std::int32_t>(noise::kSineWord.get(state_.sineWord) << 2) >> 2;
        p.sineOffsetHz = -static_cast<double>(word) * state_.sampleClockHz / 1073741824.0;
    }
}

std::vector<Sample> SignalModel::render(std::size_t count, std::uint64_t seed) const {
    std::vector<Sample> out(count);
    out.resize(render(out.data(), count, seed));
    return out;
}

std::size_t SignalModel::render(Sample* out, std::size_t count, std::uint64_t seed) const {
    SourceBits source(state_);
    if (source.empty() || params_.bitsPerSymbol == 0) return 0;
    Scrambler scrambler((state_.coding & coding::kScrambler) != 0);
    ConvolutionalCoder coder(state_);
    DifferentialCoder differential(coding::kDifferential.get(state_.coding) != 0);
    BitMapper mapper(state_);
    const ConstellationTable table(state_);
    PulseShaper shaper(state_);
    NoiseSource noise(state_, params_.noisePower, params_.renderRateHz, seed);
    std::vector<std::uint8_t> coded;
    std::size_t used = 0;
    const unsigned bits = params_.bitsPerSymbol;
    const unsigned sps = shaper.samplesPerSymbol();
    std::vector<Sample> last(sps);
    for (std::size_t done = 0; done < count; done += sps) {
        while (coded.size() - used < bits) {
            if (used > 4096) {
                coded.erase(coded.begin(), coded.begin() + static_cast<std::ptrdiff_t>(used));
                used = 0;
            }
            coder.encode(scrambler.apply(source.next()), coded);
        }
        unsigned label = 0;
        for (unsigned b = 0; b < bits; ++b)
            label = (label << 1) | differential.apply(coded[used++]);
        const Sample point = table.point(mapper.map(label));
        if (done + sps <= count) {
            shaper.push(point, out + done);
        } else {
            shaper.push(point, last.data());
            std::copy(last.begin(), last.begin() + static_cast<std::ptrdiff_t>(count - done), out + done);
        }
    }
    if (state_.noiseMode != 0 && params_.noisePower > 0)
        for (std::size_t n = 0; n < count; ++n)
            out[n] += noise.next();
    return count;
}

}  // namespace qmio::twin
