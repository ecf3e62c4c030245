// Fortran's E22.15 editing of a double, as the solution files carry their
// velocities, sigmas and correlations: sign, "0.", fifteen digits, a signed
// two-digit exponent, e.g. "-0.123456789012345E-01".
#ifndef TOOLS_FORTRAN_E_H
#define TOOLS_FORTRAN_E_H

#include <cstddef>

namespace gensol {

// Room fortranE needs: 22 characters for a negative number of a solution
// (21 for a positive one), 23 for one of 1e99 or more, whose exponent takes
// three digits.
constexpr std::size_t kFortranEMax = 23;

// Writes v to out (no terminating NUL) and returns the number of characters,
// 21 or 22 in a solution.  The fifteen digits are v correctly rounded (ties
// to even), as printf's "%.14e" gives them.  Zero, and numbers whose
// exponent would need three digits below (under 1e-100), are written as
// 0.000000000000000E+00.
std::size_t fortranE(double v, char *out);

// The same through snprintf: the reference fortranE is checked against,
// and its fallback for numbers outside its fast range.
std::size_t fortranEPrintf(double v, char *out);

// C's "%.14E" of v, as SINEX files carry their values in 21 columns: the
// same fifteen digits as fortranE, the point after the first of them, e.g.
// "-1.23456789012345E-02" (21 characters, 20 for a positive number).  Zero
// and numbers under 1e-100 are written as 0.00000000000000E+00.
std::size_t scientificE(double v, char *out);

}  // namespace gensol

#endif  // TOOLS_FORTRAN_E_H
