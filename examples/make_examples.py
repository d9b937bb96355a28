#!/usr/bin/env python3
"""Writes the example pattern files of this folder.

Every number comes from a fixed-seed generator of our own, so running this
script again gives the same bytes. The patterns are synthetic: Bragg peaks of
alpha-quartz (Cu K-alpha positions) drawn as pseudo-Voigt profiles on a smooth
background with counting noise. Usage: python3 make_examples.py [OUTPUT_DIR]
"""

import math
import os
import sys

# Alpha-quartz reflections for Cu K-alpha: two-theta in degrees and relative
# intensity (strongest = 100).
QUARTZ_PEAKS = [
    (20.86, 22), (26.64, 100), (36.54, 8), (39.47, 8), (40.29, 4),
    (42.45, 6), (45.79, 4), (50.14, 14), (54.87, 4), (55.33, 2),
    (59.96, 9), (64.03, 2), (67.74, 6), (68.14, 7), (68.31, 5),
    (73.47, 2), (75.66, 3), (77.67, 1), (79.88, 2), (81.49, 2),
    (83.84, 1), (87.44, 1),
]


class Noise:
    """A 64-bit xorshift generator with Box-Muller normal deviates: the same
    sequence on every Python version and platform."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFFFFFFFFFF or 1
        self.spare = None

    def uniform(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFFFFFFFFFF
        x ^= x >> 7
        x ^= (x << 17) & 0xFFFFFFFFFFFFFFFF
        self.state = x
        return ((x >> 11) + 0.5) / float(1 << 53)

    def normal(self):
        if self.spare is not None:
            value, self.spare = self.spare, None
            return value
        radius = math.sqrt(-2.0 * math.log(self.uniform()))
        angle = 2.0 * math.pi * self.uniform()
        self.spare = radius * math.sin(angle)
        return radius * math.cos(angle)

    def counts(self, expected):
        """Counting noise: a Poisson count approximated by a normal deviate
        of the same mean and variance, never below zero."""
        return max(0.0, expected + math.sqrt(max(expected, 0.0)) * self.normal())


def pseudo_voigt(x, center, fwhm, eta):
    """Unit-height mix of a Lorentzian (weight eta) and a Gaussian."""
    d = (x - center) / fwhm
    lorentz = 1.0 / (1.0 + 4.0 * d * d)
    gauss = math.exp(-4.0 * math.log(2.0) * d * d)
    return eta * lorentz + (1.0 - eta) * gauss


def peak_width(two_theta):
    """Caglioti width: FWHM^2 = U tan^2 + V tan + W, theta in radians."""
    t = math.tan(math.radians(two_theta / 2.0))
    u, v, w = 0.012, -0.004, 0.006
    return math.sqrt(u * t * t + v * t + w)


def background(two_theta):
    """Air scatter falling off at low angle, a flat floor and a broad
    amorphous hump from the sample holder near 22 degrees."""
    return (900.0 * math.exp(-two_theta / 6.0) + 140.0
            + 60.0 * math.exp(-((two_theta - 22.0) / 6.0) ** 2))


def quartz_model(two_theta, scale):
    total = background(two_theta)
    for center, relative in QUARTZ_PEAKS:
        fwhm = peak_width(center)
        if abs(two_theta - center) < 40.0 * fwhm:
            total += scale * relative / 100.0 * pseudo_voigt(two_theta, center, fwhm, 0.45)
    return total


def grid(start, stop, step):
    rows = int(round((stop - start) / step)) + 1
    return [start + i * step for i in range(rows)]


def axis_ceiling(value):
    """Rounds up to a tenth of value's power of ten: 12819 gives 13000."""
    step = 10.0 ** math.floor(math.log10(value)) / 10.0
    return math.ceil(value / step) * step


def quartz_powder():
    noise = Noise(0x51A7C0DE)
    rows = []
    for tth in grid(5.0, 90.0, 0.02):
        rows.append((tth, noise.counts(quartz_model(tth, 12000.0))))
    top = axis_ceiling(max(i for _, i in rows) * 1.05)
    lines = ["IGOR", "WAVES/D tth, int", "BEGIN"]
    lines += ["\t%.2f\t%.2f" % row for row in rows]
    lines += [
        "END",
        "X Display int vs tth",
        "X ModifyGraph rgb(int)=(0,0,52428), lsize(int)=1",
        "X SetAxis bottom 5, 90",
        "X SetAxis left 0, %g" % top,
    ]
    return "\r\n".join(lines) + "\r\n"


def two_blocks():
    """A refinement view: the measured pattern and the calculated one in the
    first block, their difference (shifted below the data) in the second."""
    noise = Noise(0x7B10C5)
    angles = grid(18.0, 46.0, 0.04)
    calculated = [quartz_model(t, 5000.0) for t in angles]
    # The measured pattern is a little sharper and shifted than the model, so
    # the difference curve shows the familiar wiggles at every peak.
    measured = [noise.counts(quartz_model(t - 0.012, 5150.0)) for t in angles]
    difference = [m - c for m, c in zip(measured, calculated)]
    lines = [
        "IGOR",
        "// Synthetic quartz refinement: observed, calculated and difference.",
        "WAVES/D tth, yobs, ycalc",
        "BEGIN",
    ]
    lines += ["\t%.2f\t%.1f\t%.3f" % row for row in zip(angles, measured, calculated)]
    lines += ["END", "WAVES/D diff", "BEGIN"]
    lines += ["\t%.3f" % d for d in difference]
    lines += [
        "END",
        "X Display yobs, ycalc vs tth",
        "X AppendToGraph diff vs tth",
        "X ModifyGraph mode(yobs)=3, marker(yobs)=0, msize(yobs)=2, rgb(yobs)=(65535,0,0)",
        "X ModifyGraph mode(ycalc)=0, lsize(ycalc)=1.5, rgb(ycalc)=(0,0,65535)",
        "X ModifyGraph mode(diff)=4, marker(diff)=10, msize(diff)=1, mrkThick(diff)=0.5",
        "X ModifyGraph rgb(diff)=(0,39321,0), offset(diff)={0,-1500}",
        "X ModifyGraph mirror=2, tick=2",
        "X Label left \"Intensity (counts)\"",
        "X Label bottom \"2-theta (deg)\"",
        "X SetAxis bottom 18, 46",
        "X SetAxis left -2500, %g" % axis_ceiling(max(measured) * 1.05),
        "// End of file.",
    ]
    return "\r\n".join(lines) + "\r\n"


def rocking_curve_lf():
    """A small omega scan with tab-separated columns and line feeds alone, as
    Linux tools write them."""
    noise = Noise(0x0E6A)
    lines = ["IGOR", "WAVES/D omega, counts", "BEGIN"]
    for omega in grid(16.0, 17.6, 0.008):
        expected = 25.0 + 8000.0 * pseudo_voigt(omega, 16.82, 0.06, 0.7)
        lines.append("\t%.3f\t%d" % (omega, round(noise.counts(expected))))
    lines += [
        "END",
        "X Display counts vs omega",
        "X ModifyGraph mode(counts)=4, marker(counts)=0, msize(counts)=1",
        "X ModifyGraph rgb(counts)=(32768,0,32768)",
        "X SetAxis bottom 16, 17.6",
        "X SetAxis left 0, 9000",
    ]
    return "\n".join(lines) + "\n"


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    files = {
        "quartz-powder.pat": quartz_powder(),
        "two-blocks.pat": two_blocks(),
        "rocking-curve-lf.pat": rocking_curve_lf(),
    }
    for name, text in files.items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(text.encode("ascii"))


if __name__ == "__main__":
    main()
