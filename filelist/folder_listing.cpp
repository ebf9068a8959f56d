#include "filelist/folder_listing.h"

#include "common/path_helpers.h"

#include <QFile>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

QString NameOfEntry(const fs::directory_entry& entry)
{
#ifdef _WIN32
    return QString::fromStdWString(entry.path().filename().wstring());
#else
    return QFile::decodeName(QByteArray::fromStdString(entry.path().filename().native()));
#endif
}

bool InListingOrder(const QString& a, const QString& b)
{
    const int byLetters = a.compare(b, Qt::CaseInsensitive);
    return byLetters != 0 ? byLetters < 0 : a < b;
}

bool IsUnreadableFolderError(const std::error_code& error)
{
    return error == std::errc::permission_denied || error == std::errc::no_such_file_or_directory
        || error == std::errc::not_a_directory;
}

} // namespace

FolderListing ListFolderEntries(const QString& folder, EntryKind kind)
{
    FolderListing listing;
    std::error_code error;
    fs::directory_iterator entry(NativePath(folder), error);
    if (error) {
        listing.unreadable = IsUnreadableFolderError(error);
        return listing;
    }
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        std::error_code typeError;
        const bool isFolder = entry->is_directory(typeError);
        if (isFolder == (kind == EntryKind::Subfolders))
            listing.names.append(NameOfEntry(*entry));
    }
    std::sort(listing.names.begin(), listing.names.end(), InListingOrder);
    return listing;
}
