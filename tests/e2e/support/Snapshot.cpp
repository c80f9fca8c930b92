#include "tests/e2e/support/Snapshot.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace pregonero::e2e {

using nlohmann::json;

namespace {

const json kNull;

// Missing keys and wrong types read as null or "", so a malformed dump fails
// the expectation that reads it instead of aborting the test.
const json& At(const json& object, const char* key) {
    return object.is_object() && object.contains(key) ? object[key] : kNull;
}

std::string Text(const json& value) {
    return value.is_string() ? value.get<std::string>() : "";
}

} // namespace

Snapshot::Snapshot(const std::string& line) : json_(json::parse(line, nullptr, false)) {
    if (json_.is_discarded()) {
        ADD_FAILURE() << "a dump that is not JSON: " << line.substr(0, 200);
        json_ = nullptr;
    }
}

std::string Snapshot::Form() const {
    return Text(At(At(json_, "form"), "name"));
}

std::vector<std::string> Snapshot::Forms() const {
    std::vector<std::string> forms;
    for (const json& form : At(json_, "forms")) {
        forms.push_back(Text(form));
    }
    return forms;
}

std::optional<std::string> Snapshot::Label(const std::string& name) const {
    for (const json& control : At(json_, "controls")) {
        if (At(control, "name") == name && At(control, "text").is_string()) {
            return Text(At(control, "text"));
        }
    }
    return std::nullopt;
}

const json& Snapshot::List() const {
    for (const json& control : At(json_, "controls")) {
        if (At(control, "type") == "CustomList") {
            return control;
        }
    }
    return kNull;
}

std::vector<int> Snapshot::ItemIds() const {
    std::vector<int> ids;
    for (const json& item : At(List(), "items")) {
        ids.push_back(At(item, "itemId").is_number() ? At(item, "itemId").get<int>() : -1);
    }
    return ids;
}

std::vector<json> Snapshot::Elements(int id, const std::string& kind) const {
    std::vector<json> out;
    for (const json& item : At(List(), "items")) {
        for (const json& element : At(item, "elements")) {
            if ((id == -1 || At(element, "id") == id) &&
                (kind.empty() || At(element, "kind") == kind)) {
                out.push_back(element);
            }
        }
    }
    return out;
}

std::vector<std::string> Snapshot::Texts(int id) const {
    std::vector<std::string> texts;
    for (const json& element : Elements(id, "text")) {
        texts.push_back(Text(At(element, "text")));
    }
    return texts;
}

bool Snapshot::Shows(const std::string& text) const {
    const auto labels = At(json_, "controls");
    const auto rows = Elements(-1, "text");
    auto same = [&](const json& j) { return At(j, "text") == text; };
    return std::any_of(labels.begin(), labels.end(), same) ||
           std::any_of(rows.begin(), rows.end(), same);
}

std::string Snapshot::Back() const {
    for (const json& key : At(At(json_, "form"), "softkeys")) {
        if (At(key, "index") == 1 && At(key, "text") == "Atras") {
            return At(key, "enabled") == true ? "on" : "off";
        }
    }
    return "none";
}

std::string Snapshot::Menu() const {
    const json& menu = At(json_, "menu");
    return menu.is_null() ? "none" : At(menu, "shown") == true ? "shown" : "closed";
}

std::optional<std::string> Snapshot::BoxText() const {
    const json& box = At(json_, "messageBox");
    return box.is_null() ? std::nullopt : std::optional(Text(At(box, "text")));
}

std::string Snapshot::BoxTitle() const {
    return Text(At(At(json_, "messageBox"), "title"));
}

std::ostream& operator<<(std::ostream& out, const Snapshot& snapshot) {
    return out << snapshot.Json().dump().substr(0, 4000);
}

} // namespace pregonero::e2e
