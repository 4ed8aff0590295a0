#include "core/SettingsLine.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace SettingsLine {

namespace {

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Length of the longest decimal number at `from` ([sign] digits [. digits] [exponent]);
// 0 when none starts there.
int numberLength(const QString& s, int from) {
    int i = from;
    const int n = s.size();
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) ++i;
    int digits = 0;
    while (i < n && isDigit(s[i])) { ++i; ++digits; }
    if (i < n && s[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && isDigit(s[i])) { ++i; ++digits; }
    }
    if (digits == 0) return 0;
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        int j = i + 1;
        if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-'))) ++j;
        int expDigits = 0;
        while (j < n && isDigit(s[j])) { ++j; ++expDigits; }
        if (expDigits > 0) i = j;
    }
    return i - from;
}

std::optional<double> rounded(const QString& number) {
    const std::string text = number.toStdString();
    const double value = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    // Halves go to the even neighbour, as the program has always rounded.
    double r = std::round(value);
    if (std::fabs(value - std::trunc(value)) == 0.5) r = 2.0 * std::round(value / 2.0);
    return r;
}

}  // namespace

int16_t split(const QString& line, QString fields[7]) {
    int n = 0;
    bool inQuotes = false;
    for (const QChar c : line) {
        if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
        } else if (c == QLatin1Char(',') && !inQuotes) {
            ++n;
            if (n > 6) return 0;
        } else {
            fields[n].append(c);
        }
    }
    return static_cast<int16_t>(fields[0].isEmpty() ? n : n + 1);
}

std::optional<double> numberOfField(const QString& field) {
    int i = 0;
    while (i < field.size() && isBlank(field[i])) ++i;
    const int len = numberLength(field, i);
    if (len == 0) return 0.0;
    return rounded(field.mid(i, len));
}

std::optional<double> strictNumber(const QString& field) {
    int i = 0;
    while (i < field.size() && isBlank(field[i])) ++i;
    const int len = numberLength(field, i);
    if (len == 0) return std::nullopt;
    int end = i + len;
    while (end < field.size() && isBlank(field[end])) ++end;
    if (end != field.size()) return std::nullopt;
    return rounded(field.mid(i, len));
}

std::optional<int16_t> int16Of(const QString& field) {
    auto v = numberOfField(field);
    if (!v || *v < -32768.0 || *v > 32767.0) return std::nullopt;
    return static_cast<int16_t>(*v);
}

std::optional<int32_t> int32Of(const std::optional<double>& v) {
    if (!v || *v < -2147483648.0 || *v > 2147483647.0) return std::nullopt;
    return static_cast<int32_t>(*v);
}

}  // namespace SettingsLine
