// Token text: std::from_chars / std::to_chars with the few rules the files need on top.
#include "token_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Rough decimal magnitude of a syntactically valid number whose value does not fit a float:
// positive means too large, negative means too small. The two ranges are tens of decades apart, so
// the sign of the magnitude settles which one it is.
bool exceedsFloatRange(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  long long magnitude = 0;
  bool seenNonZero = false;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    if (text[i] != '0') seenNonZero = true;
    if (seenNonZero) ++magnitude;
  }
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && isDigit(text[i]); ++i) {
      if (seenNonZero) continue;
      if (text[i] != '0') seenNonZero = true;
      else --magnitude;
    }
  }
  long long exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    for (; i < text.size() && isDigit(text[i]); ++i) {
      // Saturate: any exponent past a million decades decides the range by its sign alone.
      if (exponent < 1000000) exponent = exponent * 10 + (text[i] - '0');
    }
    if (negative) exponent = -exponent;
  }
  return magnitude + exponent > 0;
}

}  // namespace

FloatTokenStatus ParseFloatToken(std::string_view text, float& r_value) {
  // from_chars takes no leading '+', but exporters that print with an explicit sign write one.
  if (text.size() > 1 && text[0] == '+' && (isDigit(text[1]) || text[1] == '.')) text.remove_prefix(1);
  if (text.empty()) return FloatTokenStatus::kNotANumber;
  const char* first = text.data();
  const char* last = first + text.size();
  float value = 0.0f;
  const std::from_chars_result r = std::from_chars(first, last, value, std::chars_format::general);
  if (r.ptr != last) return FloatTokenStatus::kNotANumber;
  if (r.ec == std::errc::result_out_of_range) {
    if (exceedsFloatRange(text)) return FloatTokenStatus::kNotFinite;
    r_value = text[0] == '-' ? -0.0f : 0.0f;
    return FloatTokenStatus::kOk;
  }
  if (r.ec != std::errc()) return FloatTokenStatus::kNotANumber;
  if (!std::isfinite(value)) return FloatTokenStatus::kNotFinite;
  r_value = value;
  return FloatTokenStatus::kOk;
}

void AppendFloat(std::string& out, float value) {
  char buffer[32];
  const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, r.ptr);
}

std::string ShortestText(float value) {
  std::string text;
  AppendFloat(text, value);
  return text;
}

std::string ShortestText(double value) {
  char buffer[40];
  const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, r.ptr);
}

std::string QuoteToken(std::string_view text) {
  constexpr size_t kMaxShown = 40;
  std::string quoted = "'";
  for (size_t i = 0; i < text.size() && i < kMaxShown; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    quoted += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
  }
  if (text.size() > kMaxShown) quoted += "...";
  quoted += '\'';
  return quoted;
}
