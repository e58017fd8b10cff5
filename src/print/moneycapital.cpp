#include "print/moneycapital.h"

#include <array>
#include <cmath>
#include <string_view>

#include "platform/exception.h"
#include "platform/textutil.h"
#include "print/decimaldigits.h"

namespace kiosk {

namespace {

constexpr int kCentPlaces = 15;

// The n-th character (0-based) of a UTF-8 text of three-byte characters.
std::string_view CjkCharAt(std::string_view text, int index)
{
    return text.substr(std::size_t(index) * 3, 3);
}

std::string_view DigitChar(int digit, bool capital)
{
    if (capital) return CjkCharAt(kCapitalDigits, digit);
    return std::string_view(kArabicDigits).substr(std::size_t(digit), 1);
}

// Unit of place i of the 15-place cent figure, highest first: 10^(12 − i) yuan.
constexpr std::string_view kCapitalUnits = "万仟佰拾亿仟佰拾万仟佰拾元角分";

struct Replacement {
    std::string_view find;
    std::string_view replace;
};

// Applied in this order; each step replaces every occurrence, left to right.
constexpr std::array<Replacement, 13> kCleanUp = {{
    {"零元", "元"}, {"零拾", "零"}, {"零佰", "零"}, {"零仟", "零"}, {"零万", "万"},
    {"零亿", "亿"}, {"亿万", "亿"}, {"零零零", "零"}, {"零零", "零"}, {"零万", "万"},
    {"零亿", "亿"}, {"亿万", "亿"}, {"零元", "元"},
}};

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replace)
{
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(find, pos)) != std::string_view::npos; pos = hit + find.size()) {
        out.append(text.substr(pos, hit - pos));
        out.append(replace);
    }
    out.append(text.substr(pos));
    return out;
}

TDecimalDigits AmountDigits(double amount)
{
    if (!std::isfinite(amount)) throw Exception("无效的金额：" + FloatToStr(amount));
    return TDecimalDigits(amount);
}

// The whole cents of a non-negative amount, right-aligned in 15 places ("%15d").
std::string CentFigure(double amount)
{
    const std::string cents = AmountDigits(amount).Shifted(2).Rounded(0).IntegerText();
    if (cents.size() > std::size_t(kCentPlaces)) throw Exception("金额超出范围：" + FloatToStr(amount));
    return std::string(kCentPlaces - cents.size(), ' ') + cents;
}

// Digit and unit for every written place: 10 yuan gives 壹拾零元零角零分.
std::string RawCapitalText(const std::string& figure)
{
    std::string raw;
    for (int i = 0; i < kCentPlaces; ++i) {
        if (figure[std::size_t(i)] == ' ') continue;
        raw.append(DigitChar(figure[std::size_t(i)] - '0', true));
        raw.append(CjkCharAt(kCapitalUnits, i));
    }
    return raw;
}

} // namespace

std::string MoneyToCapital(double amount)
{
    if (!std::isfinite(amount)) throw Exception("无效的金额：" + FloatToStr(amount));
    if (!(amount >= 0)) return "负" + MoneyToCapital(-amount);
    std::string text = RawCapitalText(CentFigure(amount));
    for (const auto& step : kCleanUp) text = ReplaceAll(text, step.find, step.replace);
    const bool noCents = text.find("零分") != std::string::npos;
    text = ReplaceAll(text, "零角", noCents ? "整" : "零");
    return ReplaceAll(text, "零分", "");
}

std::string AmountDigitAt(int position, bool capital, bool currencySign, double amount)
{
    const TDecimalDigits digits = AmountDigits(amount);
    // The integer part truncated toward zero, as written: its minus sign counts.
    const bool negativeInteger = digits.Negative() && digits.IntegerText() != "0";
    const int n = digits.IntegerDigitCount() + (negativeInteger ? 1 : 0);
    if (position == 0) return "点";
    if (position > n + 1) return {};
    if (position == n + 1) return currencySign ? "￥" : "";
    const int power = position >= 1 ? position - 1 : position;
    return std::string(DigitChar(digits.DigitAt(power), capital));
}

} // namespace kiosk
