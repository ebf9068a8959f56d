#pragma once

#include <QString>

#include <cstdint>

// A text read as a whole number, as the x prompt's answer and the stored format number are read: a
// decimal number (ASCII digits, optional sign, decimal point and exponent, blanks around it), rounded
// half to even ("2.5" gives 2, "3.5" gives 4).
struct WholeNumber {
    enum class Reading { Number, NotANumber, Overflow };

    Reading reading = Reading::NotANumber;
    // The number; on overflow the bound of the range on the number's side; 0 for no number.
    std::int32_t value = 0;
};

// Reads the text for the range min to max. The one overflow rule: a number overflows when its
// rounded value lies outside the range, however far, also beyond what a double holds; a number too
// small for a double is 0.
WholeNumber ReadWholeNumber(const QString& text, std::int32_t min, std::int32_t max);
