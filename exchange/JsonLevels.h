#pragma once

#include <nlohmann/json.hpp>

#include <initializer_list>
#include <vector>

// Where nlohmann's SAX parser stands in a JSON text, for readers that take
// a few values as they meet them and hold nothing else of the text: each
// open object or array by the key it stands under, while every one above it
// is an object. A text nested deeper than any that such a reader wants is
// taken as broken. A reader derives, hides the events it takes, and calls
// these from its own.
class CJsonLevels {
public:
    using String = nlohmann::json::string_t;

    bool null() { return true; }
    bool boolean(bool) { return true; }
    bool number_integer(nlohmann::json::number_integer_t) { return true; }
    bool number_unsigned(nlohmann::json::number_unsigned_t) { return true; }
    bool number_float(nlohmann::json::number_float_t, const String&) { return true; }
    bool binary(nlohmann::json::binary_t&) { return true; }
    bool string(String&) { return true; }
    bool key(String& key)
    {
        m_key = key;
        return true;
    }
    bool start_object(std::size_t) { return Enter(true); }
    bool start_array(std::size_t) { return Enter(false); }
    bool end_object() { return Leave(true); }
    bool end_array() { return Leave(false); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

protected:
    // How many objects and arrays are open.
    size_t Depth() const { return m_levels.size(); }
    // The key of the open level `level` (0 is the whole text's, under
    // none); empty for one with an array above it.
    const String& KeyOf(size_t level) const { return m_levels[level]; }
    // How many open levels, from the top, are objects.
    size_t Objects() const { return m_objects; }
    // The key last read.
    const String& LastKey() const { return m_key; }
    // Whether the innermost open level stands under these keys, one below
    // the other in objects from the top.
    bool Under(std::initializer_list<const char*> keys) const;

private:
    bool Enter(bool object);
    bool Leave(bool object);

    std::vector<String> m_levels;
    size_t m_objects = 0;
    String m_key;
};
