#include "report/json_line.h"

namespace {

constexpr char kHex[] = "0123456789abcdef";

void AppendEscape(std::string& out, unsigned unit)
{
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += kHex[(unit >> shift) & 0xF];
    }
}

}  // namespace

std::string JsonString(const std::wstring& text)
{
    std::string out = "\"";
    for (const wchar_t c : text) {
        const unsigned unit = static_cast<unsigned>(c) & 0xFFFF;
        switch (unit) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            // Controls, DEL and everything beyond ASCII, each UTF-16 unit on
            // its own: a surrogate pair is two escapes, as JSON spells it.
            if (unit < 0x20 || unit >= 0x7F) {
                AppendEscape(out, unit);
            } else {
                out += static_cast<char>(unit);
            }
        }
    }
    return out + "\"";
}

void JsonLine::Name(const char* field)
{
    if (m_text.size() > 1) {
        m_text += ",";
    }
    m_text += "\"" + std::string(field) + "\":";
}

JsonLine& JsonLine::Text(const char* field, const std::wstring& value)
{
    Name(field);
    m_text += JsonString(value);
    return *this;
}

JsonLine& JsonLine::Null(const char* field)
{
    Name(field);
    m_text += "null";
    return *this;
}

JsonLine& JsonLine::Boolean(const char* field, bool value)
{
    Name(field);
    m_text += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::Number(const char* field, long long value)
{
    Name(field);
    m_text += std::to_string(value);
    return *this;
}

JsonLine UserFields(const std::wstring& name, const std::wstring& sid)
{
    JsonLine line;
    if (name.empty()) {
        line.Null("user");
    } else {
        line.Text("user", name);
    }
    line.Text("sid", sid);
    return line;
}
