#pragma once
// Private helpers of TDataSet: value order of the indexes and the filter expression.
#include <string>
#include <string_view>
#include <vector>

#include "platform/value.h"

namespace kiosk::datasetdetail {

// Three-way order of two stored values: null first, numbers by value, date-times by time,
// texts by bytes (ASCII letters folded when `caseInsensitive`).
int CompareValues(const Value& a, const Value& b, bool caseInsensitive);

// One condition of a filter expression: field='text' or field=number.
struct FilterTerm {
    std::string fieldName;
    bool isText = true;
    std::string text;
    double number = 0;
};

// Parses conditions joined by "and" (any letter case). Quotes inside a text are doubled ('').
// Raises "过滤条件“…”无效" on anything else.
std::vector<FilterTerm> ParseFilter(std::string_view expression);

// Splits "a;b;c" into trimmed, non-empty names.
std::vector<std::string> SplitFieldNames(std::string_view names);

} // namespace kiosk::datasetdetail
