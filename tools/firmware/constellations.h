// Constellation tables of the modulator's 20 signal types (Firmware/Const/*.dat).
//
// The modulator looks a symbol up in a 256-entry table of 8-bit I/Q pairs; the library fills the
// table from a text file of integers "I0 Q0 I1 Q1 ...", point p being the symbol whose label is p,
// and repeats a table of M points over the 256 addresses. The symbol width the FPGA takes from the
// bit stream follows from M (log2 M bits), except for the unmodulated kinds (one bit) and
// pi/4-QPSK (two bits, see below).
//
// Geometry and labelling, per file:
//   cBPSK      +1 / -1 on the I axis.
//   cQPSK      Gray: label bit 1 gives the sign of I, bit 0 the sign of Q (0 positive), first point
//              at 45 degrees. Going round the circle the labels run 0, 2, 3, 1: a quarter turn per
//              step, which is what the differential bit map of QPSK expects. OQPSK, pi/2-BPSK,
//              BPSK-135 and CE OQPSK share this file; their rotations and offsets are made in the
//              FPGA.
//   c8PSK      Gray, as in DVB-S2: 000 at 45 degrees, 001 on the I axis, 100 on the Q axis.
//   c8QAM      rectangular 4 x 2 grid (I in +-1, +-3; Q in +-1), Gray: bits 2-1 the I level, bit 0
//              the sign of Q. The textbook 8QAM.
//   c8QAM_DS   star 8QAM: four points on the diagonals (radius 1) and four on the axes (radius
//              (1 + sqrt 3) / sqrt 2 = 1.932), the ring ratio at which every point is at the same
//              minimum distance from its nearest neighbours. Bit 2 selects the ring, bits 1-0 the
//              quadrant as in QPSK; an outer point carries the quadrant label of the inner point 45
//              degrees counter-clockwise of it (quasi-Gray: no Gray labelling exists).
//   c8QAM_PD   square 8QAM: the 3 x 3 grid without its centre (four points on the axes, four on the
//              diagonals at sqrt 2). Its nearest neighbours form one ring of eight, labelled with the
//              reflected Gray code counter-clockwise from the I axis: a true Gray labelling.
//   c16QAM, c64QAM, c256QAM
//              square grids, Gray per axis: the upper half of the label bits gives the I level, the
//              lower half the Q level.
//   c32QAM, c128QAM
//              cross constellations (a 6 x 6 and a 12 x 12 grid without their corners), with the
//              quadrant-symmetric quasi-Gray labelling of liquid-dsp (no Gray labelling exists).
//   cpi4QPSK   eight points: 0-3 are cQPSK, 4-7 the same labels turned by 45 degrees (on the axes).
//              The FPGA alternates between the two halves symbol by symbol, so the table carries two
//              bits per symbol although it holds eight points; the library loads it with the shift
//              of a four-point table for that reason.
//   c16APSK2   DVB-S2 16APSK (4 + 12) with ring ratio 3.15 (the ratio for code rate 2/3) and the
//              DVB-S2 labelling: labels 12-15 on the inner ring.
//   c32APSK3   DVB-S2 32APSK (4 + 12 + 16) with ring ratios 2.84 and 5.27 (code rate 3/4) and the
//              DVB-S2 labelling.
//   c_Off      the carrier switched off: two points at the origin.
//   c_NoMod    the unmodulated carrier: two identical points on the I axis.
//
// "Off" and "unmodulated" hold two points each, not one: the library always loads these two kinds
// with the shift of a two-point table (one bit per symbol), and a two-point file gives that same
// shift by the general rule, so the file and the loaded table agree whatever reads them. Both
// labels give the same point, so no data bit can modulate the carrier.
//
// Levels: every type is written at the same mean power, so that the carrier level and the noise
// ratio the operator sets do not move when the signal type changes. The common rms magnitude is the
// largest at which every type still fits the 8-bit range: it is set by the 32APSK outer ring (the
// largest peak-to-rms ratio of the set), whose points on the axes reach +-127.
#pragma once

#include <complex>
#include <string>
#include <vector>

namespace firmware {

using Point = std::complex<double>;

struct Constellation {
    std::string stem;           // file name without ".dat"
    std::vector<Point> points;  // point p has label p; unit mean energy (all zero for c_Off)
};

// The constellations of all signal types, one per file, at unit mean energy.
std::vector<Constellation> constellationSet();

// The common rms magnitude of the files: the largest at which every constellation of `set` has
// all its coordinates within -127..127 once rounded.
double commonRmsLevel(const std::vector<Constellation>& set);

// The integers of a file: I0 Q0 I1 Q1 ..., each coordinate times `level` rounded to the nearest.
std::vector<int> quantize(const Constellation& constellation, double level);

// The file's text: one point ("I Q") per line.
std::string constellationText(const std::vector<int>& integers);

}  // namespace firmware
