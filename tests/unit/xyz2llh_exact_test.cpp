// Exact result bits of the Cartesian-to-geodetic conversion at points where
// the last bits depend on the order of the floating-point operations: any
// reordering, a changed constant or a changed end of the refinement fails
// here even when every result stays within a micrometre.  After the exact
// test tables of GeographicLib (C. F. F. Karney), which pin each input to
// its expected output.
//
// The points were found by converting a million random positions near the
// Earth's surface and out to 40,000 km with variants of the conversion (the
// height update written as 1 - e2 * (n / (n + h)), the radius of curvature
// with (e2 * s) * s, the tolerance 1e-3, the flattening of GRS 80, the height
// as (p - n c) / c, p by hypot, degrees by multiplying): each row tells at
// least one variant from the conversion, the first nine the height update
// (which changes about one point in a thousand), the next nine the radius of
// curvature.  The last six tell apart variants of the first estimate alone,
// before the refinement (the radius of curvature with (e2 * s) * s, the
// height as (p - n c) / c, the latitude from atan2(z, p (1 - e2))): its last
// bits reach the result only where the refinement stops after one pass
// (points within centimetres of the ellipsoid) or where they change the
// number of passes, so these were searched for among twenty million such
// points.  Inputs have the four decimals of a station record; outputs are
// the exact doubles, written as hexadecimal literals.
#include "core/xyz2llh.h"

#include <gtest/gtest.h>

#include "tests/unit/same_bits.h"

namespace {

struct Row {
  double xyz[3];
  double llh[3];  // latitude, longitude (degrees), height (metres)
};

const Row kRows[] = {
    {{5940048.3281, -970079.1958, -2115860.1531}, {-0x1.37d526c1dd15cp+4, -0x1.28ce5957c6da4p+3, 0x1.f999a01364p+11}},
    {{4155925.1410, 1049738.4591, -4711849.3056}, {-0x1.7f2f3c857147dp+5, 0x1.c59fa671fa0cfp+3, 0x1.b00c2df2468p+11}},
    {{1424460.2063, 1919449.6413, 5895734.5446}, {0x1.10426cecf67e1p+6, 0x1.ab5c89ed1735ep+5, 0x1.04bfb893b2p+11}},
    {{1746930.1118, -4251738.9279, 4406594.6909}, {0x1.5fdd52a7b4f0cp+5, -0x1.0ea76cc74b242p+6, -0x1.9cf188ef9p+7}},
    {{393186.7553, 14215801.9387, -5966160.8412}, {-0x1.6d0e41f432a4bp+4, 0x1.61a9ab54661dfp+6, 0x1.14185c84376b2p+23}},
    {{-701464.0287, 8526819.0324, -2248501.9479}, {-0x1.d961dc9a06203p+3, 0x1.7acfc075316e5p+6, 0x1.2d70dc408a872p+21}},
    {{14906533.3270, 13464829.9071, 10088929.5033}, {0x1.ab6399a4158adp+4, 0x1.50ba59da24c0ap+5, 0x1.eb7b782ddbbe7p+23}},
    {{-7358735.3514, 14140311.1809, 20958323.3122}, {0x1.a64fb8957fb3ep+5, 0x1.d5f8abe7fe9afp+6, 0x1.30abf3b4b7931p+24}},
    {{4516743.2580, 4328937.0514, -1254533.0755}, {-0x1.6d3914c4f7748p+3, 0x1.5e450b48b86a7p+5, 0x1.b3d3dcb1fc8p+11}},
    {{365045.9336, 2345366.4296, -5906100.1717}, {-0x1.10f3b5f0437ccp+6, 0x1.449cd3165d343p+6, 0x1.5828a81ab94p+12}},
    {{-792717.1701, -514215.1827, -6293160.4291}, {-0x1.4611c38083e4cp+6, -0x1.260f233034f17p+7, 0x1.94f2fd3aa7cp+12}},
    {{1297052.5405, -464279.5113, 6207200.8120}, {0x1.364539df10181p+6, -0x1.3b1df1af154a7p+4, 0x1.eaabf8fd58p+8}},
    {{2525745.9520, 5390835.6312, 2294639.2760}, {0x1.5355813ecb93ep+4, 0x1.039530e8acefdp+6, 0x1.2948e553c6p+12}},
    {{2959374.4777, 815156.1855, -21364515.1697}, {-0x1.475c00cae74cap+6, 0x1.ecce1318f1159p+3, 0x1.d0aebd5d1d0abp+23}},
    {{4300389.6266, -1188571.6705, -6461043.9426}, {-0x1.bc26fd1fb4a0fp+5, -0x1.ee6743a255388p+3, 0x1.6b538b03fe0bcp+20}},
    {{3344548.6904, -783507.2917, 38086957.4102}, {0x1.536892ac7d182p+6, -0x1.a5e816286e705p+3, 0x1.e68551ee3ca3fp+24}},
    {{1388261.8225, 3807209.5138, 8984503.7121}, {0x1.07430bcda41f8p+6, 0x1.17dd4bac48f02p+6, 0x1.aabb06c1d6f58p+21}},
    {{-179673.8047, 154765.6670, -6356869.8662}, {-0x1.5f82f3ca9e948p+6, 0x1.1684cc0cf1c6cp+7, 0x1.19d9e971994p+12}},
    {{3018134.4630, 2783669.3498, -4864483.8159}, {-0x1.90308eeec8dcep+5, 0x1.557c82d0f525ep+5, -0x1.451858p-9}},
    {{2770808.2079, -2850851.2028, 4970852.2745}, {0x1.9c49a6f281bb3p+5, -0x1.6e86a3041ba56p+5, 0x1.d7929ap-7}},
    {{5513729.0407, 348105.9449, -3176514.2376}, {-0x1.e10613465722ap+4, 0x1.ce67b2ed0b544p+1, -0x1.ee4328p-9}},
    {{1672472.3364, -5843616.3394, -1926293.9544}, {-0x1.1b2058f9d8c91p+4, -0x1.281d4c959381fp+6, 0x1.976fccp-8}},
    {{2572726.4315, 5749308.9868, -974748.2842}, {-0x1.1b5f268c5ef79p+3, 0x1.0791a3aa0509ap+6, -0x1.f0224d5af28p+11}},
    {{-531452.2767, 351402.4049, 6324621.8396}, {0x1.5124b97564815p+6, 0x1.250dc0a423be6p+7, -0x1.4e5fd27c24p+8}},
};

TEST(Xyz2llh, ExactBitsAtPointsSensitiveToTheOrderOfOperations) {
  for (const Row &row : kRows) {
    double llh[3] = {-1, -1, -1};
    geomex::xyz2llh(row.xyz, llh);
    for (int i = 0; i < 3; ++i)
      EXPECT_SAME_BITS(row.llh[i], llh[i])
          << " component " << i << " of " << row.xyz[0] << ' ' << row.xyz[1] << ' ' << row.xyz[2];
  }
}

}  // namespace
