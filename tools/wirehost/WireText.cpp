#include "WireText.h"

#include <memory>
#include <stdexcept>

namespace wirehost {

std::string jsonText(const Json::Value& value)
{
    Json::FastWriter writer;
    std::string text = writer.write(value);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

Json::Value parseJson(const std::string& text)
{
    Json::CharReaderBuilder builder;
    builder["failIfExtra"] = true;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors))
        throw std::runtime_error("Not JSON: " + errors);
    return root;
}

Json::Value command(std::initializer_list<Json::Value> elements)
{
    Json::Value list(Json::arrayValue);
    for (const Json::Value& element : elements)
        list.append(element);
    return list;
}

}  // namespace wirehost
