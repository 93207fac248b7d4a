#pragma once
// Frame rates as exact fractions, as movies carry them (30000/1001 rather than 29.97), read from the
// texts users type: the program's --rate and the frei0r filter's rate parameter take the same forms.
#include <string>

struct FrameRate {
  int num = 30000;
  int den = 1001;
  double perSecond() const { return double(num) / den; }
  bool operator==(const FrameRate&) const = default;
};

// "25", "29.97", "23.976", "30000/1001": any positive rate. Decimals within half a thousandth of an
// NTSC rate (N x 1000/1001) mean that rate, since that is what a user typing 29.97 has in mind.
// False when the text is no positive rate or its terms do not fit 31 bits.
bool parseFrameRate(const std::string& text, FrameRate& rate);

// "30000/1001", or "25" for a whole rate.
std::string describeFrameRate(const FrameRate& rate);
