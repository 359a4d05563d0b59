// Decimals written from their integer digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vsim {

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr std::uint64_t kTens[] = {1,
                                   10,
                                   100,
                                   1000,
                                   10000,
                                   100000,
                                   1000000,
                                   10000000,
                                   100000000,
                                   1000000000,
                                   10000000000,
                                   100000000000,
                                   1000000000000,
                                   10000000000000,
                                   100000000000000,
                                   1000000000000000,
                                   10000000000000000,
                                   100000000000000000,
                                   1000000000000000000,
                                   10000000000000000000u};

// The number of decimal digits of n: from its bits' count, within one.
inline int DigitCount(std::uint64_t n) {
  constexpr int kLog10Of2Times4096 = 1233;
  constexpr int kBits = 64;
  const int bits = kBits - __builtin_clzll(n | 1);
  const int estimate = (bits * kLog10Of2Times4096) >> 12;
  return estimate + ((n | 1) >= kTens[estimate] ? 1 : 0);
}

constexpr std::uint32_t kHundred = 100;
constexpr std::uint32_t kTenThousand = 10000;
constexpr std::uint64_t kHundredMillion = 100000000;
constexpr int kEightDigits = 8;

// Eight digits of n (below 10^8) ending just before `end`, in 32-bit
// arithmetic, cheaper than four 64-bit steps.
inline void WriteEightBefore(char* end, std::uint32_t n) {
  const std::uint32_t high = n / kTenThousand, low = n % kTenThousand;
  std::memcpy(end - 2, kDigitPairs + (low % kHundred) * 2, 2);
  std::memcpy(end - 4, kDigitPairs + (low / kHundred) * 2, 2);
  std::memcpy(end - 6, kDigitPairs + (high % kHundred) * 2, 2);
  std::memcpy(end - 8, kDigitPairs + (high / kHundred) * 2, 2);
}

// Writes the digits of n backwards, ending just before `end`; n is below
// 10^count.
inline void WriteDigitsBefore(char* end, std::uint64_t n, int count) {
  while (count >= kEightDigits) {
    WriteEightBefore(end, static_cast<std::uint32_t>(n % kHundredMillion));
    n /= kHundredMillion;
    end -= kEightDigits;
    count -= kEightDigits;
  }
  auto rest = static_cast<std::uint32_t>(n);
  while (count >= 2) {
    end -= 2;
    std::memcpy(end, kDigitPairs + (rest % kHundred) * 2, 2);
    rest /= kHundred;
    count -= 2;
  }
  if (count == 1) *--end = static_cast<char>('0' + rest);
}

// units * 10^-places in plain decimals, trailing zeros of the fraction
// dropped: "-0.25", "1500". units has at most 20 digits.
inline char* WriteDecimal(char* at, bool negative, std::uint64_t units, int places) {
  while (places > 0 && units % 10 == 0) {
    units /= 10;
    --places;
  }
  if (negative) *at++ = '-';
  const int count = DigitCount(units);
  if (count > places) {
    // Digits before the point, then the fraction after it.
    const int whole = count - places;
    if (places == 0) {
      WriteDigitsBefore(at + whole, units, whole);
      return at + whole;
    }
    const std::uint64_t split = kTens[places];
    WriteDigitsBefore(at + whole, units / split, whole);
    at[whole] = '.';
    WriteDigitsBefore(at + whole + 1 + places, units % split, places);
    return at + whole + 1 + places;
  }
  *at++ = '0';
  *at++ = '.';
  for (int i = count; i < places; ++i) *at++ = '0';
  WriteDigitsBefore(at + count, units, count);
  return at + count;
}

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "digit bytes are laid out for a little-endian word");

// The eight digits of n (below 10^8) as the values 0..9 in the bytes of a
// word, the first digit in the lowest byte. Each step splits every lane of
// the word at once, a lane's quotient found by one multiply and shift that
// is exact over the lane's range.
inline std::uint64_t EightDigitBytes(std::uint32_t n) {
  constexpr std::uint64_t kByHundred = 10486;  // then >> 20: / 100 below 10^4
  constexpr int kByHundredShift = 20;
  constexpr std::uint64_t kByTen = 103;  // then >> 10: / 10 below 100
  constexpr int kByTenShift = 10;
  constexpr std::uint64_t kHundredsLanes = 0x0000007F0000007Full;
  constexpr std::uint64_t kTensLanes = 0x000F000F000F000Full;
  const std::uint64_t fours = (n / kTenThousand) | (std::uint64_t{n % kTenThousand} << 32);
  const std::uint64_t hundreds = ((fours * kByHundred) >> kByHundredShift) & kHundredsLanes;
  const std::uint64_t pairs = hundreds | ((fours - hundreds * kHundred) << 16);
  const std::uint64_t tens = ((pairs * kByTen) >> kByTenShift) & kTensLanes;
  return tens | ((pairs - tens * 10) << 8);
}

constexpr std::uint64_t kAsciiZeros = 0x3030303030303030ull;

// The same text as WriteDecimal, for units below 10^17 and 1 to 23 places,
// without a loop: the units' digits as 24 characters, leading zeros kept,
// copied twice with the point between. Writes 32 characters at `at`.
inline char* WritePlainDecimal(char* at, bool negative, std::uint64_t units, int places) {
  constexpr int kDigits = 24;
  constexpr int kWordBytes = 8;
  constexpr int kTopDigitShift = 56;
  constexpr std::size_t kWritten = 32;
  // The units in pieces of eight digits, the top one a single digit.
  const auto high = static_cast<std::uint32_t>(units / kHundredMillion);
  const auto low_digits = static_cast<std::uint32_t>(units - high * kHundredMillion);
  const std::uint32_t top = high / kHundredMillion;
  const std::uint64_t middle =
      EightDigitBytes(high - top * static_cast<std::uint32_t>(kHundredMillion));
  const std::uint64_t low = EightDigitBytes(low_digits);
  const std::uint64_t words[2 * kDigits / kWordBytes] = {
      kAsciiZeros + (std::uint64_t{top} << kTopDigitShift),
      kAsciiZeros + middle,
      kAsciiZeros + low,
      kAsciiZeros,
      kAsciiZeros,
      kAsciiZeros};
  char digits[sizeof words];
  std::memcpy(digits, words, sizeof words);
  // The last digit is the highest byte: zero bytes there are trailing zeros.
  const int zeros =
      low != 0 ? __builtin_clzll(low) / kWordBytes
               : kWordBytes + (middle != 0 ? __builtin_clzll(middle) / kWordBytes : kWordBytes);
  const int fraction = places - (zeros < places ? zeros : places);
  const int point = kDigits - places;
  const int lead = kDigits - DigitCount(units);
  const int start = lead < point - 1 ? lead : point - 1;
  const int whole = point - start;
  char text[2 * kDigits + 2];
  text[0] = '-';
  char* t = text + (negative ? 1 : 0);
  std::memcpy(t, digits + start, kDigits);
  t[whole] = '.';
  std::memcpy(t + whole + 1, digits + point, kDigits);
  std::memcpy(at, text, kWritten);
  return at + (t - text) + whole + (fraction > 0 ? 1 + fraction : 0);
}

// The same text as WriteDecimal for 1 to 8 places: the whole part by pairs
// of digits, the fraction as one word of digit bytes whose trailing zeros
// are found from its highest nonzero byte. Writes up to 8 characters past
// the text's end.
[[gnu::always_inline]] inline char* WriteFixedDecimal(char* at, bool negative, std::uint64_t units,
                                                      int places) {
  constexpr int kWordBytes = 8;
  constexpr int kTopBit = 63;
  const std::uint64_t split = kTens[places];
  const std::uint64_t whole = units / split;
  const auto fraction = static_cast<std::uint32_t>(units % split);
  if (negative) *at++ = '-';
  const int count = DigitCount(whole);
  WriteDigitsBefore(at + count, whole, count);
  at += count;
  if (fraction == 0) return at;
  // The fraction's digits from the lowest byte on, zero bytes above them.
  const std::uint64_t digits = EightDigitBytes(fraction) >> (kWordBytes * (kEightDigits - places));
  const int length = (kTopBit - __builtin_clzll(digits)) / kWordBytes + 1;
  *at++ = '.';
  const std::uint64_t text = digits + kAsciiZeros;
  std::memcpy(at, &text, sizeof text);
  return at + length;
}

// tenths / 10 with its one decimal always written: "0.0", "12.5".
inline char* WriteDecimalTenths(char* at, std::uint64_t tenths) {
  const int count = DigitCount(tenths);
  const int whole = count > 1 ? count - 1 : 1;
  WriteDigitsBefore(at + whole, tenths / 10, whole);
  at[whole] = '.';
  at[whole + 1] = static_cast<char>('0' + tenths % 10);
  return at + whole + 2;
}

// units * 10^-places as the shortest text writes a number below 1e-4:
// "5e-06", "-1.2e-05". units is not 0.
inline char* WriteScientific(char* at, bool negative, std::uint64_t units, int places) {
  const int count = DigitCount(units);
  const int exponent = places - (count - 1);  // of ten, negated
  int length = count;
  while (units % 10 == 0) {
    units /= 10;
    --length;
  }
  if (negative) *at++ = '-';
  char digits[24] = {};
  WriteDigitsBefore(digits + length, units, length);
  *at++ = digits[0];
  if (length > 1) {
    *at++ = '.';
    for (int i = 1; i < length; ++i) *at++ = digits[i];
  }
  *at++ = 'e';
  *at++ = '-';
  if (exponent >= 100) *at++ = static_cast<char>('0' + exponent / 100);
  std::memcpy(at, kDigitPairs + (exponent % 100) * 2, 2);
  return at + 2;
}

}  // namespace vsim
