#pragma once
// One kiosk request: its address, its decoded parameters and typed readers for them. A value
// that cannot be read as asked is a malformed request (BadInput); a business rule that says no
// is a Refused. Both carry the Chinese text the kiosk shows.
#include "formbody.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace stationd {

struct BadInput : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Refused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Request {
public:
    Request(std::string address, FormParams params, std::string remote);

    const std::string& Address() const { return address_; }
    const std::string& Remote() const { return remote_; }
    const FormParams& Params() const { return params_; }

    std::optional<std::string> Find(const std::string& name) const;
    // The value, "" when absent.
    std::string Text(const std::string& name) const;
    // The value trimmed of blanks; absent or blank gives nothing, a non-integer is BadInput.
    std::optional<std::int64_t> OptId(const std::string& name) const;
    std::int64_t Id(const std::string& name) const;
    // True/False/1/0 in any letter case.
    std::optional<bool> OptBool(const std::string& name) const;
    bool Bool(const std::string& name, bool fallback) const;
    // A calendar day as "yyyy-mm-dd".
    std::optional<std::string> OptDay(const std::string& name) const;
    std::string Day(const std::string& name) const;
    // The items of an IN filter: "101", "101,102", "(101,102)" or "'a','b'".
    std::vector<std::string> List(const std::string& name) const;
    std::vector<std::int64_t> IdList(const std::string& name) const;
    // An IN filter as ",a,b," for matching with instr(); nothing when the filter is not sent.
    std::optional<std::string> ListPattern(const std::string& name) const;
    // Refuses (BadInput) any "filter_…" parameter that is not in the list.
    void OnlyFilters(std::initializer_list<const char*> allowed) const;

private:
    std::string address_;
    FormParams params_;
    std::string remote_;
};

std::string Trim(const std::string& text);
std::optional<std::int64_t> ToInt(const std::string& text);

} // namespace stationd
