// Saver and preview start-up.
#include "app/display.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "app/run_modes.h"

int32_t ObjectTotal = 0;
ObjectState* MotionHistory = nullptr;
size_t MotionHistoryRowSize = 0;
int32_t ScreenWidth = 0;
int32_t ScreenHeight = 0;

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
    return negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
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

int32_t ObjectTotalFor(int32_t objectCount) {
    // Only a hand-edited file goes past 0..4; beyond that the history could not be held.
    if (objectCount < 0) objectCount = 0;
    if (objectCount > 4) objectCount = 4;
    return static_cast<int32_t>(std::lround(std::pow(2.0f, static_cast<float>(objectCount + 7))));
}

void StartSaverOrPreview() { EndProgram(); }

void CloseDisplay() {}

void FreeMotionHistory() {
    std::free(MotionHistory);
    MotionHistory = nullptr;
}
