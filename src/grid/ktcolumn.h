#pragma once
// A column of the kiosk data grid: which field it shows, under which title, how wide, and what
// its footer cell holds. Columns bind to the dataset by field name, looked up again whenever
// the dataset opens, so a column may be declared before its query has ever run.
#include <string>
#include <utility>
#include <vector>

namespace kiosk {

enum TFooterValueType {
    fvtNon,        // empty footer cell
    fvtStaticText, // the footer's Text
    fvtCount,      // the number of records
    fvtSum,        // the sum of the column's field over the records
};

struct TKtFooter {
    TFooterValueType ValueType = fvtNon;
    std::string Text;
};

struct TKtColumn {
    TKtColumn() = default;
    TKtColumn(std::string fieldName, std::string title, int width = 0, bool visible = true, TKtFooter footer = {})
        : FieldName(std::move(fieldName)), Title(std::move(title)), Width(width), Visible(visible),
          Footer(std::move(footer))
    {
    }

    std::string FieldName;
    std::string Title;   // caption of the title; the field name when empty
    int Width = 0;       // pixels; 0 keeps the grid's default width
    bool Visible = true;
    TKtFooter Footer;
};

using TKtColumns = std::vector<TKtColumn>;

} // namespace kiosk
