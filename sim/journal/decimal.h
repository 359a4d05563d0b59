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
