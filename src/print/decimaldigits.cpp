#include "print/decimaldigits.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "platform/exception.h"

namespace kiosk {

TDecimalDigits::TDecimalDigits(double value)
{
    if (!std::isfinite(value)) throw Exception("not a finite number");
    negative_ = std::signbit(value);
    if (value == 0) return;
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    const std::string text(buf, r.ptr);  // d[.ddd]e±xx
    const auto e = text.find('e');
    for (std::size_t i = 0; i < e; ++i)
        if (text[i] != '.') digits_ += text[i];
    point_ = std::atoi(text.c_str() + e + 1) + 1;
    Normalise();
}

void TDecimalDigits::Normalise()
{
    std::size_t lead = 0;
    while (lead < digits_.size() && digits_[lead] == '0') ++lead;
    digits_.erase(0, lead);
    point_ -= int(lead);
    while (!digits_.empty() && digits_.back() == '0') digits_.pop_back();
    if (digits_.empty()) point_ = 0;
}

int TDecimalDigits::DigitAt(int power) const
{
    const long index = long(point_) - 1 - power;
    if (index < 0 || index >= long(digits_.size())) return 0;
    return digits_[std::size_t(index)] - '0';
}

int TDecimalDigits::IntegerDigitCount() const
{
    return point_ > 0 ? point_ : 1;
}

TDecimalDigits TDecimalDigits::Shifted(int powers) const
{
    TDecimalDigits d = *this;
    if (!d.IsZero()) d.point_ += powers;
    return d;
}

TDecimalDigits TDecimalDigits::Rounded(int decimals) const
{
    if (IsZero()) return *this;
    const long keep = long(point_) + decimals;  // digits that stay
    TDecimalDigits d;
    d.negative_ = negative_;
    if (keep < 0 || std::size_t(keep) >= digits_.size()) {
        if (keep >= 0) return *this;
        return d;  // far below the last kept place: zero
    }
    d.digits_ = digits_.substr(0, std::size_t(keep));
    d.point_ = point_;
    if (digits_[std::size_t(keep)] >= '5') {
        long i = keep - 1;
        while (i >= 0 && d.digits_[std::size_t(i)] == '9') d.digits_[std::size_t(i--)] = '0';
        if (i >= 0) {
            ++d.digits_[std::size_t(i)];
        } else {
            d.digits_.insert(d.digits_.begin(), '1');
            ++d.point_;
        }
    }
    d.Normalise();
    return d;
}

TDecimalDigits TDecimalDigits::RoundedSignificant(int significant) const
{
    if (IsZero()) return *this;
    return Rounded(std::max(significant, 1) - point_);
}

std::string TDecimalDigits::IntegerText() const
{
    if (point_ <= 0) return "0";
    std::string text;
    text.reserve(std::size_t(point_));
    for (int power = point_ - 1; power >= 0; --power) text += char('0' + DigitAt(power));
    return text;
}

std::string TDecimalDigits::FractionText(int decimals) const
{
    std::string text;
    text.reserve(std::size_t(std::max(decimals, 0)));
    for (int power = -1; power >= -decimals; --power) text += char('0' + DigitAt(power));
    return text;
}

} // namespace kiosk
