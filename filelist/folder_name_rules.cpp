#include "filelist/folder_name_rules.h"

#include <algorithm>

namespace {

bool IsUnusualChar(QChar c)
{
    const char16_t code = c.unicode();
    return code < 32 || (code >= 127 && code <= 159) || code == u'?';
}

} // namespace

bool HasUnusualChars(const QString& name)
{
    return std::any_of(name.cbegin(), name.cend(), IsUnusualChar);
}

bool IsAcceptableSubfolderName(const QString& name)
{
    return name != QLatin1String(".") && name != QLatin1String("..") && !HasUnusualChars(name);
}
