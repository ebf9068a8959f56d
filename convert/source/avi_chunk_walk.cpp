#include "convert/source/avi_chunk_walk.h"

#include <QtEndian>

#include <cstring>

namespace {

// Lists whose chunks are walked: the file's RIFF parts and the lists that hold the streams' chunks.
bool HoldsStreamChunks(const char* type)
{
    for (const char* wanted : {"AVI ", "AVIX", "movi", "rec "}) {
        if (std::memcmp(type, wanted, 4) == 0)
            return true;
    }
    return false;
}

using Visit = std::function<bool(QFile& file, const char* type, qint64 at, qint64 size)>;

class ChunkWalk {
public:
    ChunkWalk(QFile& file, int stream, const Visit& visit) : file_(file), visit_(visit)
    {
        id_[0] = static_cast<char>('0' + stream / 10);
        id_[1] = static_cast<char>('0' + stream % 10);
    }

    // Walks the chunks between `begin` and `end`; false once the walk is to stop.
    bool Walk(qint64 begin, qint64 end, int depth)
    {
        qint64 at = begin;
        char header[12];
        while (at + 8 <= end) {
            if (!file_.seek(at) || file_.read(header, 8) != 8)
                return false;
            const qint64 size = qFromLittleEndian<quint32>(header + 4);
            const qint64 data = at + 8;
            const bool list = std::memcmp(header, "RIFF", 4) == 0 || std::memcmp(header, "LIST", 4) == 0;
            if (list) {
                if (data + 4 > end || file_.read(header + 8, 4) != 4)
                    return true;
                // A list that claims more than there is (a file cut short) or nothing at all (a writer
                // that never finished it) ends where its parent ends.
                const qint64 listEnd = size == 0 || data + size > end ? end : data + size;
                if (depth < 3 && HoldsStreamChunks(header + 8) && !Walk(data + 4, listEnd, depth + 1))
                    return false;
                at = listEnd + (listEnd < end ? (size & 1) : 0);
                continue;
            }
            if (header[0] == id_[0] && header[1] == id_[1] && !visit_(file_, header + 2, at, size))
                return false;
            at = data + size + (size & 1);
        }
        return true;
    }

private:
    QFile& file_;
    const Visit& visit_;
    char id_[2];
};

}  // namespace

void WalkStreamChunks(const QString& path, int stream, const Visit& visit)
{
    if (stream < 0 || stream > 99)
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    ChunkWalk(file, stream, visit).Walk(0, file.size(), 0);
}

PictureChunks PictureChunksOf(const QString& path, int stream)
{
    PictureChunks chunks;
    qint64 fileSize = -1;
    WalkStreamChunks(path, stream, [&](QFile& file, const char* type, qint64 at, qint64 size) {
        if (type[0] != 'd' || (type[1] != 'c' && type[1] != 'b'))
            return true;
        if (fileSize < 0)
            fileSize = file.size();
        chunks.data.push_back(at + 8);
        // A chunk the file breaks off inside ends the walk: the file ends there.
        if (at + 8 + size > fileSize)
            return false;
        chunks.trailingEmpty = size == 0 ? chunks.trailingEmpty + 1 : 0;
        return true;
    });
    return chunks;
}

int TrailingEmptyChunks(const QString& path, int stream)
{
    return PictureChunksOf(path, stream).trailingEmpty;
}
