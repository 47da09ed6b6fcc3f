#include "core/record/record_text.h"

#include <nlohmann/json.hpp>
#include <sstream>

namespace dtu {

std::string RowValuesText(const RowValues& values) {
  nlohmann::ordered_json object = nlohmann::ordered_json::object();
  for (const auto& [name, value] : values) object[name] = value;
  return object.dump();
}

RowValues RowValuesFrom(const std::string& text) {
  RowValues values;
  const nlohmann::ordered_json object = nlohmann::ordered_json::parse(text, nullptr, false);
  if (!object.is_object()) return values;
  for (const auto& [name, value] : object.items())
    values.emplace_back(name, value.is_string() ? value.get<std::string>() : value.dump());
  return values;
}

std::string JoinedNames(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
  return text;
}

std::vector<std::string> SplitNames(const std::string& text) {
  std::vector<std::string> names;
  std::istringstream in(text);
  for (std::string name; in >> name;) names.push_back(name);
  return names;
}

}  // namespace dtu
