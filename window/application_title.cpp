#include "window/application_title.h"

QString DeriveApplicationTitle(QString text)
{
    constexpr qsizetype kLongestTitle = 40;
    do {
        const qsizetype lastBlank = text.lastIndexOf(QLatin1Char(' '));
        if (lastBlank < 0)
            break;  // a single word cannot be cut further
        text.truncate(lastBlank);
    } while (text.size() > kLongestTitle);
    return text;
}
