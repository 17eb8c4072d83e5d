#include "Velon/Configuration.h"

#include "Velon/JsonFile.h"
#include "Velon/MessageTable.h"
#include "ScriptingCore/Log.h"

namespace {

const char* const english = "en";

#define RES_LOG_WARN(message)                                                                       \
    ::PB::Log::warn("Configuration::load_error_strings()", (message), __FILE__, __LINE__,            \
                    "Configuration::load_error_strings")

// The text of key in table, or empty.
std::string lookup(const Configuration::MessageTable& table, const std::string& key)
{
    const auto text = table.find(key);
    return text == table.end() ? std::string() : text->second;
}

// The table of one language from the resource file; entries that are not
// text are refused one by one.
Configuration::MessageTable read_language(const std::string& name, const Json::Value& entries)
{
    Configuration::MessageTable table;
    for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
        if (!entry.key().isString() || !entry->isString()) {
            RES_LOG_WARN("Bad key or value in list for key " + name + " in resources file.");
            continue;
        }
        table.emplace(entry.key().asString(), entry->asString());
    }
    return table;
}

}  // namespace

void Configuration::ensure_english_table()
{
    if (messages.count(english))
        return;
    MessageTable table;
    for (const velon::BuiltinMessage& message : velon::builtin_english_messages)
        table.emplace(message.key, message.text);
    messages.emplace(english, std::move(table));
}

std::string Configuration::get_message(bool english_text, std::string key)
{
    // The English texts are built in: a lookup that comes before the
    // configuration has been read (the guard of an API method called before
    // initPlugin, say) still gets them rather than an empty text.
    ensure_english_table();
    const MessageTable& english_table = messages.at(english);
    if (english_text)
        return lookup(english_table, key);

    // An empty, unknown or unloaded language turns into English for good.
    auto table = messages.find(language);
    if (table == messages.end()) {
        language = english;
        table = messages.find(language);
    }
    const auto text = table->second.find(key);
    if (text != table->second.end())
        return text->second;
    return lookup(english_table, key);
}

void Configuration::load_error_strings(std::string path)
{
    ensure_english_table();

    Json::Value root;
    std::string errors;
    switch (velon::JsonFile::read(path, root, errors)) {
    case velon::JsonFile::ReadStatus::not_found:
        RES_LOG_WARN("Resources file is not found: " + path);
        return;
    case velon::JsonFile::ReadStatus::parse_error:
        RES_LOG_WARN("Failed to parse resources file: " + errors);
        return;
    case velon::JsonFile::ReadStatus::ok:
        break;
    }
    if (root.size() < 1) {
        RES_LOG_WARN("No available languages or failed to parse resources file.");
        return;
    }

    // Members come in the JSON library's order: names sorted byte by byte.
    for (auto member = root.begin(); member != root.end(); ++member) {
        if (!member.key().isString()) {
            RES_LOG_WARN("Bad key in resources file.");
            continue;
        }
        const std::string name = member.key().asString();
        if (name == english) {
            RES_LOG_WARN("\"en\" key is protected from overloading.");
            continue;
        }
        if (member->size() < 1) {
            RES_LOG_WARN("Bad value for key " + name + " in resources file.");
            continue;
        }
        MessageTable table = read_language(name, *member);
        // A language already loaded keeps its texts.
        if (!table.empty())
            messages.emplace(name, std::move(table));
    }

    if (messages.size() > 1 && !messages.count(language)) {
        RES_LOG_WARN("No language \"" + language + "\" for error strings. Using English.");
        language = english;
    }
}
