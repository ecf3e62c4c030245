// Conversion of fixed-column numeric fields (Fortran I, F and E edit
// descriptors read with blanks ignored).
//
// A field is given as its exact characters; a field that runs past the end of
// its line is passed in padded with blanks by the caller.  Blanks (' ') are
// ignored wherever they stand; a field of blanks only is zero.
#ifndef CORE_FIELDS_H
#define CORE_FIELDS_H

#include <cstdint>

namespace geomex {

// Widest real field the conversion takes (the formats' widest is 22).
constexpr int kMaxRealFieldWidth = 64;

// Iw: an optional sign and decimal digits.  Returns false, leaving out as it
// was, for any other character or for a sign without digits.  Fields are at
// most 9 characters wide, so the value always fits.
bool parseInteger(const char *field, int width, int32_t &out) noexcept;

// Fw.d and Ew.d: an optional sign, digits with or without a decimal point,
// and an optional exponent written as E, D, e or d followed by an optionally
// signed integer, or as a sign followed by an integer.  Without a decimal
// point the last `implied` digits are the fraction (1234567 in F19.7 is
// 0.1234567); a point overrides `implied`.
//
// The result is the correctly rounded double of the decimal value (one
// rounding; values beyond the double range become infinities or zeros).  A
// minus sign is kept on zero: "-0.0" gives -0.0.  Returns false, leaving out
// as it was, for any other character, a mantissa without digits, an exponent
// without digits, or a field wider than kMaxRealFieldWidth characters.
bool parseReal(const char *field, int width, int implied, double &out) noexcept;

}  // namespace geomex

#endif  // CORE_FIELDS_H
