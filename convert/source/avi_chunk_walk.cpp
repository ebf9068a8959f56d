#include "convert/source/avi_chunk_walk.h"

#include <QFile>
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

class ChunkWalk {
public:
    ChunkWalk(QFile& file, int stream) : file_(file), fileSize_(file.size())
    {
        id_[0] = static_cast<char>('0' + stream / 10);
        id_[1] = static_cast<char>('0' + stream % 10);
    }

    // Walks the chunks between `begin` and `end`; false once the file breaks off inside a chunk.
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
            if (header[0] == id_[0] && header[1] == id_[1] && header[2] == 'd' && (header[3] == 'c' || header[3] == 'b')) {
                if (data + size > fileSize_)
                    return false;
                trailingEmpty_ = size == 0 ? trailingEmpty_ + 1 : 0;
            }
            at = data + size + (size & 1);
        }
        return true;
    }

    int TrailingEmpty() const { return trailingEmpty_; }
    qint64 FileSize() const { return fileSize_; }

private:
    QFile& file_;
    qint64 fileSize_;
    char id_[2];
    int trailingEmpty_ = 0;
};

}  // namespace

int TrailingEmptyChunks(const QString& path, int stream)
{
    if (stream < 0 || stream > 99)
        return 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    ChunkWalk walk(file, stream);
    walk.Walk(0, walk.FileSize(), 0);
    return walk.TrailingEmpty();
}
