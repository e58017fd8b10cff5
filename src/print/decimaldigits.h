#pragma once
// The decimal digits of a double as its shortest round-trip text writes them. Amounts reach
// the printer as decimal text; reading their digits from the binary value instead could lower
// a digit (0.3 is 0.2999… in binary), so money is printed from these digits.
#include <string>

namespace kiosk {

class TDecimalDigits {
public:
    // Raises kiosk::Exception for NaN and infinities (the caller gives its own text).
    explicit TDecimalDigits(double value);

    bool Negative() const { return negative_; }
    bool IsZero() const { return digits_.empty(); }
    // The digit (0 to 9) of 10^power.
    int DigitAt(int power) const;
    // Number of digits before the decimal point, at least 1 ("0" for amounts below 1).
    int IntegerDigitCount() const;
    // The same number times 10^powers.
    TDecimalDigits Shifted(int powers) const;
    // Rounded half away from zero to `decimals` places after the point (negative: to tens,
    // hundreds ...).
    TDecimalDigits Rounded(int decimals) const;
    // Rounded half away from zero to `significant` digits (at least 1).
    TDecimalDigits RoundedSignificant(int significant) const;
    // The integer part, without sign ("0" when it is zero).
    std::string IntegerText() const;
    // Exactly `decimals` digits after the point, without sign and without rounding (the caller
    // rounds first).
    std::string FractionText(int decimals) const;
    // Power of ten of the leading digit (0 for 1 to 9.99…); 0 for zero.
    int LeadingPower() const { return IsZero() ? 0 : point_ - 1; }
    void SetNegative(bool negative) { negative_ = negative; }

private:
    TDecimalDigits() = default;
    void Normalise();

    bool negative_ = false;
    std::string digits_;  // significant digits, no leading or trailing zeros; empty for zero
    int point_ = 0;       // value = 0.digits_ × 10^point_
};

} // namespace kiosk
