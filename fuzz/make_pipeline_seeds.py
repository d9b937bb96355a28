#!/usr/bin/env python3
"""Writes the pipeline fuzzer's seeds into fuzz/corpus/pipeline: a pattern
file followed by the block of window choices PipelineFuzz.cpp reads from the
end of its input (client size, flags, undos, font, ten settings, a drag)."""

import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
OUT = HERE / "corpus" / "pipeline"

SCALE_ON, MARGIN_ON, COLOR_ON = 1, 2, 4
LEFT, MIDDLE, RIGHT, OTHER = 0, 1, 2, 3
# Indices into the fuzzer's table of extreme settings.
EXTREME = {"min": 0, "max": 1, "min+1": 2, "-2^20-1": 3, "-2^20": 4, "2^20": 5,
           "2^20+1": 6, "2^30": 7, "-2^30": 8, "page": 9, "page+1": 10, "0": 11, "-1": 12}


def setting(value):
    """A setting as the fuzzer reads it: small numbers as themselves, names
    of extremes through its table."""
    if isinstance(value, str):
        return struct.pack("<Bh", 5, EXTREME[value])
    if -32768 <= value <= 32767:
        return struct.pack("<Bh", 0, value)
    assert value % 65536 == 0
    return struct.pack("<BH", 6, (value >> 16) & 0xFFFF)


def choices(client=(672, 496), flags=SCALE_ON | COLOR_ON, release=LEFT, undos=0, font=16,
            margin=(8, 8, 8, 8), ticks=(4, 4), distances=(4, 4), page=(29700, 21000),
            drag=(100, 100, 300, 300)):
    block = struct.pack("<HHBBH", client[0], client[1], flags | release << 3, undos, font)
    for v in (*margin, *ticks, *distances, *page):
        block += setting(v)
    block += struct.pack("<hhhh", *drag)
    assert len(block) == 46
    return block


def pattern(*lines):
    return ("\r\n".join(lines) + "\r\n").encode("latin-1")


WORKED = pattern("IGOR", "WAVES/D tth, int1, int2", "BEGIN", "10.0\t100\t50", "10.5\t120\t60",
                 "11.0\t90\t70", "END", "X Display int1, int2 vs tth",
                 "X ModifyGraph mode(int1)=4, marker(int1)=10, rgb(int1)=(0,0,65535)",
                 "X ModifyGraph offset(int2)={0,20}, lsize(int2)=2, msize(int1)=3",
                 "X SetAxis bottom 10, 11", "X SetAxis left 0, 150")

EXTREME_DATA = pattern("IGOR", "WAVES x, y", "BEGIN", "-1e308 -1e308", "0 1e308", "1e308 -1e308",
                       "END", "X Display y vs x", "X ModifyGraph offset(y)={1e308,1e308}, mode=4",
                       "X SetAxis bottom -1e308, 1e308", "X SetAxis left -1e308, 1e308")

TINY_AXIS = pattern("IGOR", "WAVES x, y", "BEGIN", "0 0", "1e-308 2e-308", "END",
                    "X Display y vs x", "X SetAxis bottom 0, 1e-308", "X SetAxis left 1e-308, 0")

SAVED_2D = pattern("IGOR", "WAVES/D/N=(4,3) finecut", "BEGIN", "1\t2\t3", "4\t5\t6", "7\t8\t9",
                   "10\t11\t12", "END", 'X SetScale/P x -1,0.5,"", finecut',
                   "WAVES/D/N=(2,2,2) cube", "BEGIN", "1 2", "3 4", "", "5 6", "7 8", "END")

COLUMNS = pattern("# 2theta I sigma", "10.0 100 3", "10.5 nan 4", "11.0 1e308 5", "*END")

COLUMNS_COMMA = "Winkel;Intensität\n-1e308;1,5\n0,0;2,5\n1e308;-1e308\n".encode("utf-8")

SEEDS = {
    "worked-window.bin": WORKED + choices(),
    "margins-past-window.bin": WORKED + choices(flags=MARGIN_ON | COLOR_ON,
                                                margin=(5000, 4000, 70000 // 65536 * 65536, 8)),
    "negative-ticks.bin": WORKED + choices(ticks=(-40, -3000), distances=(-4, -2048),
                                           drag=(400, 300, 90, 40)),
    "page-zero.bin": WORKED + choices(page=(0, 21000)),
    "page-negative.bin": WORKED + choices(page=(-300, -1), release=MIDDLE),
    "page-largest.bin": WORKED + choices(client=(1, 1), page=("page", "page")),
    "font-2000.bin": WORKED + choices(font=2000, client=(4000, 3000)),
    "client-empty.bin": WORKED + choices(client=(0, 0)),
    "undo-sixteen.bin": WORKED + choices(undos=16, release=RIGHT),
    "extreme-data.bin": EXTREME_DATA + choices(drag=(80, 80, 81, 200), undos=3),
    "tiny-axis.bin": TINY_AXIS + choices(drag=(70, 20, 600, 400)),
    "saved-2d-3d.bin": SAVED_2D + choices(flags=SCALE_ON, release=OTHER),
    "extreme-settings.bin": WORKED + choices(
        flags=SCALE_ON | MARGIN_ON, margin=("min", "max", "-2^20-1", "2^20+1"),
        ticks=("max", "min"), distances=("min+1", "2^30"), page=("page+1", "-1")),
    "columns-gaps.bin": COLUMNS + choices(drag=(100, 100, 300, 300), undos=2),
    "columns-extreme.bin": COLUMNS_COMMA + choices(flags=SCALE_ON | MARGIN_ON),
    "largest-surface.bin": WORKED + choices(client=(4000, 3000), flags=MARGIN_ON,
                                            margin=(-2048, -2048, -2048, -2048)),
}

if __name__ == "__main__":
    OUT.mkdir(parents=True, exist_ok=True)
    for name, data in SEEDS.items():
        (OUT / name).write_bytes(data)
