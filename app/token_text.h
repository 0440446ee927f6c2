// Token text for the mesh and selection files: a strict reader of one number token, the shortest
// writer that reads back to the same 32-bit value, and quoting of a bad token for a message.
//
// Both are locale-independent (the C library's strtof/printf follow the process locale, so a
// comma-decimal locale would silently misread "0.5").
#pragma once

#include <string>
#include <string_view>

enum class FloatTokenStatus {
  kOk,
  kNotANumber,  // anything but a complete decimal number: trailing characters, hex, empty
  kNotFinite,   // nan, inf, or a magnitude beyond the largest float
};

// Reads the whole of `text` as one decimal number: optional sign, digits with an optional point,
// optional exponent. A magnitude below the smallest subnormal becomes a signed zero, as it would in
// any float arithmetic. r_value is written only on kOk.
FloatTokenStatus ParseFloatToken(std::string_view text, float& r_value);

// Appends the shortest decimal text that reads back, through ParseFloatToken or strtof, to exactly
// `value` (sign of zero included). Non-finite values are the caller's to refuse first.
void AppendFloat(std::string& out, float value);

// The shortest decimal text that reads back to exactly `value`: "0.01", not "0.00999999978". For
// numbers shown to a user that were computed, not typed.
std::string ShortestText(float value);
std::string ShortestText(double value);

// `text` as a short, printable quotation for a one-line error message: at most 40 characters,
// control and non-ASCII bytes shown as '?'.
std::string QuoteToken(std::string_view text);
