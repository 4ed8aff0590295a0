#pragma once
#include <QString>

#include <cstdint>
#include <optional>

// One line of an option file: a quoted key and up to six values, separated by commas.
namespace SettingsLine {

// Splits one line into at most seven fields (quotes dropped, commas inside quotes kept).
// Returns the field count, or 0 for an empty line or one with an eighth field.
int16_t split(const QString& line, QString fields[7]);

// "The number of a field": the longest leading decimal number after leading blanks (sign,
// point, exponent), no number giving 0, rounded half to even. Empty when it is not finite.
std::optional<double> numberOfField(const QString& field);
// The whole field must be a number (blanks around it allowed); rounded half to even.
std::optional<double> strictNumber(const QString& field);

// The field's number when it fits the type; empty otherwise.
std::optional<int16_t> int16Of(const QString& field);
std::optional<int32_t> int32Of(const std::optional<double>& number);

}  // namespace SettingsLine
