#pragma once
// TSeatPictureCache: the process-wide picture caches of the seat views, each loaded at most
// once: vehicle spaces with their pictures, the sold pictures of ticket types, the sold pictures
// of vehicle spaces per ticket type, and the seat-state overlays. Pictures arrive as hexadecimal
// text (JPEG, seat states as Windows bitmaps); one that does not decode is logged and left out,
// so its cell simply has no picture. The caches hold at most kPictureBudget bytes of decoded
// pixels, and a picture larger than any seat cell (its header tells before it is decoded) is
// refused: both are logged and draw as missing. The model side (TSeatPlanCaches) holds the keys
// of what decoded.
#include <QImage>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "seatplan/seattypes.h"

namespace kiosk {

// One row of base/findVehiclespace.
struct TVehiclespaceRow {
    std::int64_t id = 0;
    std::string name;
    std::string ispassengerseat;  // text: "true"/"false" or a number
    std::string seattype;
    std::string picture;          // hexadecimal JPEG, empty for none
};

// One row of base/findTickettype (code, soldpicture) or base/qryseatstatuspicture
// (seatstatus, picture).
struct TPictureRow {
    std::string key;
    std::string picture;
};

// One row of base/qryvehiclespacesoldpicture.
struct TSpaceSoldPictureRow {
    std::int64_t vehiclespaceid = 0;
    std::string tickettypecode;
    std::string picture;
};

class TSeatPictureCache {
public:
    // Decoded pixels every real seat plan fits in many times over.
    static constexpr std::int64_t kPictureBudget = std::int64_t(64) * 1024 * 1024;

    static TSeatPictureCache& Instance();

    // The keys the seat plan models choose from; the same object for the whole run.
    const std::shared_ptr<TSeatPlanCaches>& keys() const { return FKeys; }

    // The list of vehicle spaces exists once this ran, even for no rows.
    void FillVehiclespaces(const std::vector<TVehiclespaceRow>& rows);
    // Each of these stays unloaded (and is asked for again) while it gets no rows. Later rows
    // with the same key replace earlier ones.
    void FillTickettypes(const std::vector<TPictureRow>& rows);
    void FillSpaceSoldPictures(const std::vector<TSpaceSoldPictureRow>& rows);
    void FillSeatStatusPictures(const std::vector<TPictureRow>& rows);

    // The picture as drawn in the picture area; null for none.
    const QImage* Picture(const TSeatPicture& picture) const;
    // The picture as a corner overlay: the colour of its top-left pixel is transparent.
    const QImage* Overlay(const TSeatPicture& picture);

    // The loading moments: the vehicle spaces when the first seat plan is created, the other
    // three when a non-empty seat-state dictionary is set, each only while not loaded. A failing
    // query raises; the cache keeps what it had (the space list stays, possibly empty).
    void EnsureVehiclespaces();
    void EnsureSeatPictures();

    // Forgets every cache (the next seat plan loads them again).
    void Clear();

    // Bytes of decoded pixels the caches hold now.
    std::int64_t DecodedBytes() const { return FDecodedBytes; }

    // One picture of the server: hexadecimal text of a JPEG or BMP file (`format`). Text that
    // is not hexadecimal, bytes that are no picture, or a picture larger than a seat cell could
    // show or than the budget leaves give a null image and a log line naming `what`.
    QImage Decode(const std::string& hex, const char* format, const std::string& what) const;

private:
    TSeatPictureCache();
    void Keep(QImage& slot, QImage picture);
    void Forget(std::map<std::string, QImage>& map, const std::string& key);
    static QImage Transparent(const QImage& image);
    const QImage* Checkmark();

    std::shared_ptr<TSeatPlanCaches> FKeys;
    std::map<std::int64_t, QImage> FSpacePictures;
    std::map<std::string, QImage> FTickettypes;
    std::map<std::int64_t, std::map<std::string, QImage>> FSpaceSold;
    std::map<std::string, QImage> FSeatStatus;
    std::map<std::string, QImage> FSeatStatusOverlays;
    QImage FCheckmark;
    std::int64_t FDecodedBytes = 0;
};

} // namespace kiosk
