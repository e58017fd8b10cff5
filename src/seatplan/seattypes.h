#pragma once
// Types shared by the seat plan model and its views: seat dictionaries, vehicle spaces and
// plan details, the keys of the process-wide picture caches, and what a cell shows.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kiosk {

using TSeatNo = std::uint16_t;
// Seat number → text (state, ticket type, seat type, colour type, hint, ticket numbers,
// destination). Dictionaries are shared: the loader that fills them owns them, every view that
// shows them holds a reference, so a view never frees what its loader still refills.
using TSeatDict = std::map<TSeatNo, std::string>;
using TSeatDictPtr = std::shared_ptr<TSeatDict>;
using TStringList = std::vector<std::string>;
using TStringListPtr = std::shared_ptr<TStringList>;
using TSeatList = std::vector<TSeatNo>;

// A kind of vehicle space (passenger seat, driver seat, door, ...). Its picture lives in the
// drawing layer's cache under the space id; `spacepictures` of TSeatPlanCaches tells which
// spaces have one.
struct TVehiclespace {
    std::int64_t id = 0;
    std::string name;
    bool ispassengerseat = false;
    std::string seattype;
};
using TVehiclespacePtr = std::shared_ptr<const TVehiclespace>;

// One cell of a brand model's floor plan.
struct TVehicleseatplandetail {
    std::int64_t id = 0;
    std::uint8_t rowno = 0;
    std::uint8_t colno = 0;
    std::uint16_t width = 0;   // 0 = default cell width
    std::uint16_t height = 0;  // 0 = default cell height
    TVehiclespacePtr space;    // entry of the process-wide space list, or none
    TSeatNo seatno = 0;
    std::string remarks;       // shown instead of the seat number when not blank
    std::int64_t createby = 0;
    std::string createtime;
    std::int64_t updateby = 0;
    std::string updatetime;

    bool IsPassengerSeat() const { return space && space->ispassengerseat; }
};

// One row of base/findVehicleseatplandetail as the plan loader hands it to the model.
struct TSeatPlanDetailRow {
    std::int64_t id = 0;
    std::uint8_t rowno = 0;
    std::uint8_t colno = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::int64_t vehiclespaceid = 0;
    TSeatNo seatno = 0;
    std::string remarks;
    std::int64_t createby = 0;
    std::string createtime;
    std::int64_t updateby = 0;
    std::string updatetime;
};

// What the process-wide caches hold, by key. The drawing layer keeps the decoded pictures under
// the same keys; a picture that did not decode has no key. An empty optional is a cache that is
// not loaded yet.
struct TSeatPlanCaches {
    std::optional<std::vector<TVehiclespacePtr>> vehiclespacelist;
    std::set<std::int64_t> spacepictures;  // spaces with a picture of their own
    std::optional<std::set<std::string>> tickettypemap;
    std::optional<std::map<std::int64_t, std::set<std::string>>> vehiclespacesoldpicturemap;
    std::optional<std::set<std::string>> seatstatuspicturemap;

    TVehiclespacePtr FindVehiclespace(std::int64_t id) const;
    bool HasSeatStatusPicture(const std::string& status) const;
    bool HasTickettypePicture(const std::string& code) const;
    bool HasSpaceSoldPicture(std::int64_t spaceid, const std::string& code) const;
    // The space has sold pictures of its own (for some ticket types).
    bool HasSpaceSoldPictures(std::int64_t spaceid) const;
};

// Which cached picture a cell shows. `spaceid` and `code` are the cache keys.
struct TSeatPicture {
    enum class TSource : std::uint8_t {
        None,
        Space,       // the vehicle space's own picture (spaceid)
        Tickettype,  // tickettypemap (code)
        SpaceSold,   // vehiclespacesoldpicturemap (spaceid, code)
        SeatStatus,  // seatstatuspicturemap (code)
        Checkmark,   // the file images/checkmark.bmp, when it exists
    };
    TSource source = TSource::None;
    std::int64_t spaceid = 0;
    std::string code;

    explicit operator bool() const { return source != TSource::None; }
    friend bool operator==(const TSeatPicture&, const TSeatPicture&) = default;

    static TSeatPicture OfSpace(std::int64_t id) { return {TSource::Space, id, {}}; }
    static TSeatPicture OfTickettype(std::string code) { return {TSource::Tickettype, 0, std::move(code)}; }
    static TSeatPicture OfSpaceSold(std::int64_t id, std::string code) { return {TSource::SpaceSold, id, std::move(code)}; }
    static TSeatPicture OfSeatStatus(std::string code) { return {TSource::SeatStatus, 0, std::move(code)}; }
    static TSeatPicture OfCheckmark() { return {TSource::Checkmark, 0, {}}; }
};

struct TTextColor {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const TTextColor&, const TTextColor&) = default;
};
inline constexpr TTextColor clBlack{0, 0, 0};
inline constexpr TTextColor clBlue{0, 0, 255};
inline constexpr TTextColor clRed{255, 0, 0};
inline constexpr TTextColor clGreen{0, 128, 0};
inline constexpr TTextColor clAquamarine{127, 255, 212};
inline constexpr TTextColor clPurple{128, 0, 128};

// The bottom text of a cell and the colour it is written in.
struct TCellText {
    std::string text;
    TTextColor color = clBlack;
    friend bool operator==(const TCellText&, const TCellText&) = default;
};

// A grid cell: column and row, both from 0 (row 0 and column 0 are the hidden fixed ones).
struct TGridCell {
    int col = 0;
    int row = 0;
    friend bool operator==(const TGridCell&, const TGridCell&) = default;
};

enum class TStatusPicturePosition { splefttop, sprighttop, sprightbottom, spleftbottom };

} // namespace kiosk
