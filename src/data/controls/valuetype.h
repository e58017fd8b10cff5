#pragma once
// The value types of the kiosk's edits and the cleaning rule of each: what an edit keeps of
// whatever was typed, pasted or set into it. Plain functions without any user-interface code,
// so the rules can be tested and fuzzed on their own; TKestEdit runs them on every change.
#include <string>
#include <string_view>

#include "platform/datetime.h"

namespace kiosk {

enum TValueType : int {
    ssString,   // no single quotes
    ssNumber,   // digits and one decimal point
    ssDouble,   // as ssNumber, with an optional leading minus sign
    ssTicket,   // digits only
    ssHHMM,     // a time of day "HH:MM"
    ssYYYYMMDD, // a date "yyyymmdd"
};

// An edit's text and selection. Positions count characters (Unicode code points) from 0; the
// selection runs between Anchor and Caret, which are equal when nothing is selected.
struct TEditText {
    std::string Text; // UTF-8
    int Anchor = 0;
    int Caret = 0;

    friend bool operator==(const TEditText&, const TEditText&) = default;
};

struct TCleanOptions {
    // An emptied ssNumber / ssDouble text stays empty instead of becoming "0".
    bool DoNilWhenNum = false;
    // The date an ssYYYYMMDD text falls back to when it holds fewer than eight digits.
    DateTime Today;
};

// Applies the rule of `type` to `input`. The selection keeps its place in the text that is
// kept: a position moves back by the characters removed before it, and stays within the
// cleaned text. Bytes that are not UTF-8 count as one character each and come back as U+FFFD.
TEditText CleanValueText(TValueType type, const TEditText& input, const TCleanOptions& options);

// The position inside the "HH:MM" / "yyyymmdd" text where the next typed digit goes when the
// caret stands at `caret`: the colon of a time is stepped over.
int OverwritePosition(TValueType type, int caret);

} // namespace kiosk
