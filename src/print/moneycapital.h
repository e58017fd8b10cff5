#pragma once
// Money amounts as the settlement documents print them: written out in Chinese capital
// numerals with their units, or one digit per box of a pre-printed form.
#include <string>

namespace kiosk {

// "零壹贰叁肆伍陆柒捌玖" and "0123456789", read by digit value.
inline constexpr const char* kCapitalDigits = "零壹贰叁肆伍陆柒捌玖";
inline constexpr const char* kArabicDigits = "0123456789";

// The amount in capital numerals: 1.5 → 壹元伍角, 100.07 → 壹佰元零柒分, 0 → "" and negative
// amounts with a leading 负. Rounded to cents half away from zero on the amount's decimal
// digits. Raises kiosk::Exception for NaN, infinities and amounts of 10 000 000 000 000 yuan
// or more, which the 15-place unit table cannot write.
std::string MoneyToCapital(double amount);

// The character for one decimal place of the amount: 1 the ones (元), 2 the tens …, 0 the
// decimal point "点", −1 the tenths (角), −2 the hundredths (分). The place just above the
// integer part takes "￥" when currencySign is set; places above that are empty. Digits are the
// amount's decimal digits, never lowered by binary rounding. Raises for NaN and infinities.
std::string AmountDigitAt(int position, bool capital, bool currencySign, double amount);

} // namespace kiosk
