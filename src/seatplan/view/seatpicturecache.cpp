#include "seatplan/view/seatpicturecache.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

#include "core/sysservice.h"
#include "platform/textutil.h"

namespace kiosk {

namespace {

// "true"/"false" in any case, or a number (0 is false).
bool TextToBool(const std::string& text)
{
    const std::string t = Trim(text);
    std::int64_t number = 0;
    if (TryStrToInt64(t, number)) return number != 0;
    return SameText(t, "true");
}

void LogUndecodable(const std::string& what)
{
    if (auto log = QueryService<ILog>()) log->WriteLog("座位图片无法识别：" + what);
}

const char* const kCheckmarkFile = "images/checkmark.bmp";

// A seat cell is at most a screen wide; a picture larger than this on either side could never
// be shown at its size, and only costs memory.
constexpr int kLargestPictureSide = 2048;

void LogRefused(const std::string& what, const QSize& size)
{
    if (auto log = QueryService<ILog>())
        log->WriteLog("座位图片过大，不予显示：" + what + " " + IntToStr(size.width()) + "x" + IntToStr(size.height()));
}

void LogOverBudget(const std::string& what)
{
    if (auto log = QueryService<ILog>()) log->WriteLog("座位图片缓存已满，不予显示：" + what);
}

std::int64_t ImageBytes(const QImage& image) { return image.isNull() ? 0 : std::int64_t(image.sizeInBytes()); }

} // namespace

TSeatPictureCache& TSeatPictureCache::Instance()
{
    static TSeatPictureCache cache;
    return cache;
}

TSeatPictureCache::TSeatPictureCache() : FKeys(std::make_shared<TSeatPlanCaches>()) {}

void TSeatPictureCache::Clear()
{
    FDecodedBytes = 0;
    *FKeys = TSeatPlanCaches();
    FSpacePictures.clear();
    FTickettypes.clear();
    FSpaceSold.clear();
    FSeatStatus.clear();
    FSeatStatusOverlays.clear();
    FCheckmark = QImage();
}

// The picture's header gives its size before anything is decoded: a picture no seat cell could
// show, or one the budget of decoded pixels has no room for, is refused and draws as missing.
QImage TSeatPictureCache::Decode(const std::string& hex, const char* format, const std::string& what) const
{
    std::vector<std::uint8_t> bytes;
    if (!HexToBytes(Trim(hex), bytes) || bytes.empty()) {
        LogUndecodable(what);
        return QImage();
    }
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (!size.isValid()) {
        LogUndecodable(what);
        return QImage();
    }
    if (size.width() > kLargestPictureSide || size.height() > kLargestPictureSide) {
        LogRefused(what, size);
        return QImage();
    }
    // Four bytes a pixel is the most a decoded seat picture takes.
    if (FDecodedBytes + std::int64_t(size.width()) * size.height() * 4 > kPictureBudget) {
        LogOverBudget(what);
        return QImage();
    }
    QImage image;
    if (!reader.read(&image)) {
        LogUndecodable(what);
        return QImage();
    }
    return image;
}

void TSeatPictureCache::Keep(QImage& slot, QImage picture)
{
    FDecodedBytes += ImageBytes(picture) - ImageBytes(slot);
    slot = std::move(picture);
}

void TSeatPictureCache::Forget(std::map<std::string, QImage>& map, const std::string& key)
{
    const auto it = map.find(key);
    if (it == map.end()) return;
    FDecodedBytes -= ImageBytes(it->second);
    map.erase(it);
}

QImage TSeatPictureCache::Transparent(const QImage& image)
{
    QImage overlay = image.convertToFormat(QImage::Format_ARGB32);
    if (overlay.isNull()) return overlay;
    const QRgb key = overlay.pixel(0, 0);
    for (int y = 0; y < overlay.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(overlay.scanLine(y));
        for (int x = 0; x < overlay.width(); ++x)
            if (line[x] == key) line[x] = 0;
    }
    return overlay.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void TSeatPictureCache::FillVehiclespaces(const std::vector<TVehiclespaceRow>& rows)
{
    if (!FKeys->vehiclespacelist) FKeys->vehiclespacelist.emplace();
    for (const auto& row : rows) {
        FKeys->vehiclespacelist->push_back(std::make_shared<TVehiclespace>(
            TVehiclespace{row.id, row.name, TextToBool(row.ispassengerseat), row.seattype}));
        if (Trim(row.picture).empty()) continue;
        QImage picture = Decode(row.picture, "JPEG", "vehiclespace " + IntToStr(row.id));
        if (picture.isNull()) continue;
        Keep(FSpacePictures[row.id], std::move(picture));
        FKeys->spacepictures.insert(row.id);
    }
}

void TSeatPictureCache::FillTickettypes(const std::vector<TPictureRow>& rows)
{
    if (rows.empty()) return;
    auto& keys = FKeys->tickettypemap.emplace();
    for (const auto& row : rows) {
        QImage picture = Decode(row.picture, "JPEG", "tickettype " + row.key);
        if (picture.isNull()) {
            // A later undecodable row still replaces the earlier picture of its key.
            Forget(FTickettypes, row.key);
            keys.erase(row.key);
            continue;
        }
        Keep(FTickettypes[row.key], std::move(picture));
        keys.insert(row.key);
    }
}

void TSeatPictureCache::FillSpaceSoldPictures(const std::vector<TSpaceSoldPictureRow>& rows)
{
    if (rows.empty()) return;
    auto& keys = FKeys->vehiclespacesoldpicturemap.emplace();
    for (const auto& row : rows) {
        QImage picture = Decode(row.picture, "JPEG",
                                "vehiclespacesoldpicture " + IntToStr(row.vehiclespaceid) + " " + row.tickettypecode);
        keys[row.vehiclespaceid];  // the space is known even when its picture did not decode
        if (picture.isNull()) continue;
        Keep(FSpaceSold[row.vehiclespaceid][row.tickettypecode], std::move(picture));
        keys[row.vehiclespaceid].insert(row.tickettypecode);
    }
}

void TSeatPictureCache::FillSeatStatusPictures(const std::vector<TPictureRow>& rows)
{
    if (rows.empty()) return;
    auto& keys = FKeys->seatstatuspicturemap.emplace();
    for (const auto& row : rows) {
        QImage picture = Decode(row.picture, "BMP", "seatstatus " + row.key);
        Forget(FSeatStatusOverlays, row.key);
        if (picture.isNull()) {
            Forget(FSeatStatus, row.key);
            keys.erase(row.key);
            continue;
        }
        Keep(FSeatStatus[row.key], std::move(picture));
        keys.insert(row.key);
    }
}

namespace {

template <typename Map, typename Key>
const QImage* Find(const Map& map, const Key& key)
{
    const auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
}

} // namespace

const QImage* TSeatPictureCache::Picture(const TSeatPicture& picture) const
{
    using S = TSeatPicture::TSource;
    switch (picture.source) {
    case S::Space: return Find(FSpacePictures, picture.spaceid);
    case S::Tickettype: return Find(FTickettypes, picture.code);
    case S::SpaceSold: {
        const auto space = FSpaceSold.find(picture.spaceid);
        return space == FSpaceSold.end() ? nullptr : Find(space->second, picture.code);
    }
    case S::SeatStatus: return Find(FSeatStatus, picture.code);
    case S::Checkmark:
    case S::None: break;
    }
    return nullptr;
}

const QImage* TSeatPictureCache::Overlay(const TSeatPicture& picture)
{
    if (picture.source == TSeatPicture::TSource::Checkmark) return Checkmark();
    if (picture.source != TSeatPicture::TSource::SeatStatus) return Picture(picture);
    if (const QImage* ready = Find(FSeatStatusOverlays, picture.code)) return ready;
    const QImage* plain = Picture(picture);
    if (!plain) return nullptr;
    // An overlay is a second copy of its picture: it counts against the budget too.
    if (FDecodedBytes + std::int64_t(plain->width()) * plain->height() * 4 > kPictureBudget) return nullptr;
    QImage& slot = FSeatStatusOverlays[picture.code];
    Keep(slot, Transparent(*plain));
    return &slot;
}

const QImage* TSeatPictureCache::Checkmark()
{
    if (FCheckmark.isNull() && QFileInfo::exists(kCheckmarkFile)) {
        QImage file(kCheckmarkFile, "BMP");
        if (!file.isNull()) FCheckmark = Transparent(file);
    }
    return FCheckmark.isNull() ? nullptr : &FCheckmark;
}

} // namespace kiosk
