#pragma once

#include <QString>

#include <cstdint>

// A stored text read as a 16-bit whole number: a decimal number with optional sign, decimal point,
// exponent and surrounding blanks, rounded half to even ("2.5" gives 2). Throws Failure "Type
// mismatch" for anything that is not a number and "Overflow" outside -32768 to 32767.
std::int16_t WholeNumber16(const QString& text);
