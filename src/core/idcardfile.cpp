#include "core/idcardfile.h"

#include "platform/textutil.h"

namespace kiosk {

namespace {

constexpr const char* kEthnicGroups[] = {
    "汉", "蒙古", "回", "藏", "维吾尔", "苗", "彝", "壮", "布依", "朝鲜", "满", "侗", "瑶", "白",
    "土家", "哈尼", "哈萨克", "傣", "黎", "傈僳", "佤", "畲", "高山", "拉祜", "水", "东乡", "纳西",
    "景颇", "柯尔克孜", "土", "达斡尔", "仫佬", "羌", "布朗", "撒拉", "毛南", "仡佬", "锡伯", "阿昌",
    "普米", "塔吉克", "怒", "乌孜别克", "俄罗斯", "鄂温克", "德昂", "保安", "裕固", "京", "塔塔尔",
    "独龙", "鄂伦春", "赫哲", "门巴", "珞巴", "基诺"};

// Reads the fixed-width fields one after the other. Every field occupies its width, also when
// its content does not convert, so one bad field never shifts the fields after it; a field
// the file ends inside keeps what the file holds of it, one after the end is empty.
class FieldReader {
public:
    explicit FieldReader(std::u16string text) : text_(std::move(text)) {}

    // The next `width` characters (fewer at the end of the file) as trimmed UTF-8.
    std::string Next(std::size_t width)
    {
        const std::u16string_view field = std::u16string_view(text_).substr(pos_, width);
        pos_ += field.size();
        std::string bytes;
        bytes.reserve(field.size() * 2);
        for (char16_t c : field) {
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>(c >> 8);
        }
        return Trim(Utf16LeToUtf8(bytes));
    }

private:
    std::u16string text_;
    std::size_t pos_ = 0;
};

std::u16string TextUpToZero(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto c = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (c == 0) break;
        text += c;
    }
    return text;
}

// YYYYMMDD as a date; nothing when the digits do not make one.
std::optional<DateTime> ParseYmd(const std::string& field)
{
    if (field.size() != 8) return std::nullopt;
    std::int64_t y, m, d;
    if (!TryStrToInt64(field.substr(0, 4), y) || !TryStrToInt64(field.substr(4, 2), m) ||
        !TryStrToInt64(field.substr(6, 2), d))
        return std::nullopt;
    if (!DateTime::IsValidDate(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d))) return std::nullopt;
    return DateTime::FromParts(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d));
}

} // namespace

std::string EthnicGroupName(int code)
{
    if (code >= 1 && code <= 56) return kEthnicGroups[code - 1];
    if (code == 97) return "其他";
    if (code == 98) return "外国血统中国籍人士";
    return "未知";
}

TIDCardFields ParseIdCardText(std::string_view utf16le)
{
    FieldReader reader(TextUpToZero(utf16le));
    TIDCardFields card;

    // Texts are taken as the file holds them, blank or cut short too: a card without an ID
    // number is no login. Only codes and dates can fail to convert and take their fallbacks.
    card.FName = reader.Next(15);
    card.FSex = reader.Next(1) == "1" ? "男" : "女";
    std::int64_t code = 0;
    card.FMZ = TryStrToInt64(reader.Next(2), code) ? EthnicGroupName(static_cast<int>(code)) : "未知";
    card.FBday = ParseYmd(reader.Next(8)).value_or(DateTime::FromParts(1900, 1, 1));
    card.FAddr = reader.Next(35);
    card.FID = reader.Next(18);
    card.FDep = reader.Next(15);
    card.FVld_S = ParseYmd(reader.Next(8));
    const std::string end = reader.Next(8);
    if (end != "长期") card.FVld_E = ParseYmd(end);
    card.FNewAddr = reader.Next(35);
    return card;
}

} // namespace kiosk
