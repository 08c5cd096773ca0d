// The integer reader and the resolution text: kept apart from the display start-up, so that
// they can be checked on their own against any text.
#include "app/integer_text.h"

#include <cctype>

int64_t ReadIntegerText(const std::string& text) {
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    int base = 10;
    if (at < text.size() && text[at] == '$') base = 16, ++at;
    else if (at < text.size() && text[at] == '%') base = 2, ++at;
    uint64_t value = 0;
    for (; at < text.size(); ++at) {
        int c = std::tolower(static_cast<unsigned char>(text[at]));
        int digit = std::isdigit(c) ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : 99;
        if (digit >= base) break;
        value = value * base + digit;
    }
    // Negated while unsigned: the most negative value has no positive twin to negate.
    return static_cast<int64_t>(negative ? 0 - value : value);
}

void ParseResolution(const std::string& resolution, int32_t& width, int32_t& height) {
    size_t cross = resolution.find('x');
    std::string first = resolution.substr(0, cross);
    std::string second = cross == std::string::npos ? std::string() : resolution.substr(cross + 1);
    auto trim = [](std::string s) {
        while (!s.empty() && s.front() == ' ') s.erase(s.begin());
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    };
    width = static_cast<int32_t>(ReadIntegerText(trim(first)));
    height = static_cast<int32_t>(ReadIntegerText(trim(second)));
}
