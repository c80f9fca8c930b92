#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace pregonero::e2e {

// One `dump` of the driver, parsed, with the questions the tests ask of a
// screen. A line that is not JSON gives a null snapshot and a test failure.
class Snapshot {
public:
    explicit Snapshot(const std::string& line);

    const nlohmann::json& Json() const { return json_; }
    std::string Form() const;               // the current form's name
    std::vector<std::string> Forms() const; // the frame's forms, bottom first
    // The text of the control named `name`, if the form has one.
    std::optional<std::string> Label(const std::string& name) const;
    // The form's list control, or null when it has none.
    const nlohmann::json& List() const;
    std::vector<int> ItemIds() const;
    // Elements of every list row, in order; only those with `id` (if not -1)
    // and of `kind` (if not empty).
    std::vector<nlohmann::json> Elements(int id = -1, const std::string& kind = "") const;
    // The texts of element `id` of every row.
    std::vector<std::string> Texts(int id) const;
    // Whether a label or a row shows exactly `text`.
    bool Shows(const std::string& text) const;
    std::string Back() const; // the back softkey: "on", "off" or "none"
    std::string Menu() const; // the option menu: "shown", "closed" or "none"
    std::optional<std::string> BoxText() const;
    std::string BoxTitle() const;

private:
    nlohmann::json json_;
};

std::ostream& operator<<(std::ostream& out, const Snapshot& snapshot);

} // namespace pregonero::e2e
