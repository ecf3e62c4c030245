#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Run from anywhere; the seeds are small hand-made inputs (a few solutions,
fields and records of every kind, a few matrices).  scripts/checks/fuzz.sh
adds examples/*.sol to the reader's seeds at run time.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    d = os.path.join(HERE, "corpus", target)
    os.makedirs(d, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


def header(n, ref, crd="XYZ"):
    return " %4d%-8.8s %s\n" % (n, ref, crd)


def station(name, x, y, z):
    return "%-8.8s%19.7f%19.7f%19.7f\n" % (name, x, y, z)


def param(k, name, v, s):
    return " %4d          %-8.8s  %22.15E      %21.15E\n" % (k, name, v, s)


def corr(i, j, r):
    return " %4d  %4d  %22.15E\n" % (i, j, r)


def solution(names, ref, params_of, rho=0.1):
    """names: station records in order; params_of: names of the parameter groups."""
    nvec = len(params_of)
    t = header(3 * nvec, ref)
    for j, nm in enumerate(names):
        t += station(nm, 4027893.672 + 1000 * j, 307045.781 - 500 * j, 4919475.008 + 10 * j)
    for s, nm in enumerate(params_of):
        for q in range(3):
            k = 3 * s + q + 1
            t += param(k, nm, 0.001 * (k % 7) - 0.002, 0.0001 * (1 + k % 3))
    n = 3 * nvec
    for i in range(2, n + 1):
        for j in range(1, i):
            t += corr(i, j, rho * ((i * j) % 5 - 2) / 2)
    return t


# Reader: whole files.
put("tosqum", "middle_reference.sol",
    solution(["S1      ", "REF1    ", "S2      ", "S3      "], "REF1    ",
             ["S1      ", "REF1    ", "S2      "]))
put("tosqum", "last_reference.sol",
    solution(["S1      ", "S2      ", "S3      ", "REF1    "], "REF1    ",
             ["S1      ", "S2      ", "S3      "]))
put("tosqum", "two_matches.sol",
    solution(["REF1    ", "S2      ", "REF1    "], "REF1    ", ["S2      ", "REF1    "]))
put("tosqum", "no_reference.sol",
    solution(["S1      ", "S2      ", "S3      "], "NONE    ", ["S1      ", "S2      "]))
put("tosqum", "zero_stations.sol", header(2, "REF1") + station("REF1", 1.0, 2.0, 6378137.0))
put("tosqum", "negative_count.sol", header(-7, "REF1") + station("REF1", 1.0, 2.0, 3.0))
put("tosqum", "too_many.sol", header(300, "REF1"))
put("tosqum", "crlf.sol",
    solution(["S1      ", "REF1    "], "REF1    ", ["S1      "]).replace("\n", "\r\n"))
put("tosqum", "short_lines.sol",
    header(3, "R") + "R       " + "  4027893.6720000\n" + "S\n" +
    " 1          R\n 2\n 3          R       " + "  1.0D-03\n")
put("tosqum", "implied_decimals.sol",
    "    3REF1     XYZ\n"
    "REF1           40278936720000     3070457810000    49194750080000\n"
    "S1          1 2 3 4 5 6 7            -1            1D3\n"
    "    1          S1              -1              2\n"
    "    2          S1              1.5-3         1\n"
    "    3          S1              1E1           +2d+0\n"
    "    2     1     5\n    3     1 -.5\n    3     2  1.0E0\n")
put("tosqum", "bad_field.sol", header(3, "REF1") + station("REF1", 1, 2, 3) +
    "S1      4027893.67x\n")

# Field conversion: selector byte (0 I, 1 F19.7, 2 E22.15, 3 + 4d: d implied) + field.
fields = [
    (0, "   9"), (0, "  -3"), (0, " 1 2"), (0, "+"), (0, "12a4"),
    (1, "    4027893.6720000"), (1, "           1234567"), (1, "   -1.5D+02"),
    (2, " 1.234567890123457E-03"), (2, "-1"), (2, "-1."), (2, "  1.0-3"), (2, ".E5"),
    (2, "   2.5e 1"), (2, "1.7976931348623157E308"), (2, "4.9E-324"), (2, "-0.0"),
    (3 + 4 * 3, "12345"), (3 + 4 * 40, "1" * 60), (1, "0.1000000000000000055511151231257827"),
]
for i, (sel, text) in enumerate(fields):
    put("fields", "field%02d" % i, bytes([sel]) + text.encode())

# Record readers: one line each.
lines = [
    header(9, "REF1").rstrip("\n"), station("S1", 4027893.672, 307045.781, 4919475.008).rstrip("\n"),
    param(7, "S3", -1.5e-3, 2.5e-4).rstrip("\n"), corr(12, 7, -0.25).rstrip("\n"),
    " 1 2REF1", "STATION    12.5", " 9999", " -99x", "", " 1          S1        1.0D0      2",
]
for i, text in enumerate(lines):
    put("records", "line%02d" % i, text)


# Ellipse: nrow byte, leading-dimension byte, then elements (tag < 128: tag/8 - 8;
# else 8 raw bytes).
def small(v):
    return bytes([int(round((v + 8) * 8))])


def raw(v):
    return bytes([200]) + struct.pack("<d", v)


def matrix(rows, extra, values):
    out = bytes([rows, extra])
    for v in values:
        out += small(v) if float(v * 8).is_integer() and -8 <= v < 8 else raw(v)
    return out


put("brisol", "diag", matrix(2, 0, [4, 0, 0, 1]))
put("brisol", "corr", matrix(2, 0, [1, 0.5, 0.5, 1]))
put("brisol", "circle", matrix(2, 1, [4, 0, 9, 0, 4, 9]))
put("brisol", "five", matrix(5, 0, [4, 0, 7, 7, 7, 99, 1, 7, 7, 7, 7, 7, 1, 0.5, 7,
                                    7, 7, 99, 1, 7, 7, 7, 7, 7, float("nan")]))
put("brisol", "negative", matrix(4, 2, [-1, 0, 0, 0, 0, 0, 3, -1] + [0] * 16))
put("brisol", "huge", matrix(2, 0, [1e300, -1e300, 0, float("inf")]))
