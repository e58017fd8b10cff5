#pragma once
// Seat state codes as this client reads them.
#include <algorithm>
#include <initializer_list>
#include <string>

namespace kiosk::seatcodes {

inline bool IsOneOf(const std::string& value, std::initializer_list<const char*> codes)
{
    return std::any_of(codes.begin(), codes.end(), [&](const char* code) { return value == code; });
}

// A seat whose ticket is checked.
inline bool IsCheckedState(const std::string& state) { return IsOneOf(state, {"7", "8"}); }
// States without a ticket: drawn with the picture of state "0".
inline bool IsStateWithoutTicket(const std::string& state) { return IsOneOf(state, {"0", "1", "3", "4", "5"}); }
// States that have a status overlay.
inline bool HasStateOverlay(const std::string& state) { return IsOneOf(state, {"1", "3", "4", "5", "7", "8"}); }
// States of a seat that carries a ticket.
inline bool IsTicketState(const std::string& state) { return IsOneOf(state, {"2", "7", "8"}); }

inline const char* const kUncheckedTicket = "2";  // a sold ticket that is not checked
inline const char* const kNoTicket = "0";         // key of the picture of seats without ticket
inline const char* const kSelectedOverlay = "6";  // key of the overlay of selected seats

} // namespace kiosk::seatcodes
