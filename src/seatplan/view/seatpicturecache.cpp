#include "seatplan/view/seatpicturecache.h"

#include <QFileInfo>

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

} // namespace

TSeatPictureCache& TSeatPictureCache::Instance()
{
    static TSeatPictureCache cache;
    return cache;
}

TSeatPictureCache::TSeatPictureCache() : FKeys(std::make_shared<TSeatPlanCaches>()) {}

void TSeatPictureCache::Clear()
{
    *FKeys = TSeatPlanCaches();
    FSpacePictures.clear();
    FTickettypes.clear();
    FSpaceSold.clear();
    FSeatStatus.clear();
    FSeatStatusOverlays.clear();
    FCheckmark = QImage();
}

QImage TSeatPictureCache::Decode(const std::string& hex, const char* format, const std::string& what)
{
    std::vector<std::uint8_t> bytes;
    QImage image;
    if (!HexToBytes(Trim(hex), bytes) || bytes.empty() ||
        !image.loadFromData(bytes.data(), int(bytes.size()), format)) {
        LogUndecodable(what);
        return QImage();
    }
    return image;
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
        FSpacePictures[row.id] = std::move(picture);
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
            FTickettypes.erase(row.key);
            keys.erase(row.key);
            continue;
        }
        FTickettypes[row.key] = std::move(picture);
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
        FSpaceSold[row.vehiclespaceid][row.tickettypecode] = std::move(picture);
        keys[row.vehiclespaceid].insert(row.tickettypecode);
    }
}

void TSeatPictureCache::FillSeatStatusPictures(const std::vector<TPictureRow>& rows)
{
    if (rows.empty()) return;
    auto& keys = FKeys->seatstatuspicturemap.emplace();
    for (const auto& row : rows) {
        QImage picture = Decode(row.picture, "BMP", "seatstatus " + row.key);
        FSeatStatusOverlays.erase(row.key);
        if (picture.isNull()) {
            FSeatStatus.erase(row.key);
            keys.erase(row.key);
            continue;
        }
        FSeatStatus[row.key] = std::move(picture);
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
    return &(FSeatStatusOverlays[picture.code] = Transparent(*plain));
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
