// Prints the entries a folder scan hands over, one per line in UTF-8: for running a scan under
// another user in tests, and for timing large trees.
#include "filelist/folder_scan.h"

#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <folder> <extension>\n", argv[0]);
        return 2;
    }
    ScanCallbacks callbacks;
    callbacks.receiveBatch = [](QStringList batch) {
        for (const QString& entry : batch)
            std::printf("%s\n", entry.toUtf8().constData());
    };
    ScanFolderTree(QFile::decodeName(argv[1]), QFile::decodeName(argv[2]), callbacks);
    return 0;
}
