#include "filelist/sample_store.h"

namespace {

constexpr int kHighestCode = 255;

template <class Shift>
QByteArray ShiftBytes(QByteArrayView bytes, QByteArrayView key, Shift shift)
{
    Q_ASSERT(!key.isEmpty());
    QByteArray result(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const int code = static_cast<unsigned char>(bytes[i]);
        const int keyCode = static_cast<unsigned char>(key[i % key.size()]);
        result[i] = static_cast<char>(shift(code, keyCode));
    }
    return result;
}

} // namespace

QByteArray ScrambleBytes(QByteArrayView bytes, QByteArrayView key)
{
    return ShiftBytes(bytes, key, [](int code, int keyCode) {
        const int sum = code + keyCode;
        return sum > kHighestCode ? sum - kHighestCode : sum;
    });
}

QByteArray UnscrambleBytes(QByteArrayView bytes, QByteArrayView key)
{
    return ShiftBytes(bytes, key, [](int code, int keyCode) {
        const int difference = code - keyCode;
        return difference < 1 ? difference + kHighestCode : difference;
    });
}

QString ScrambleText(const QString& text, QByteArrayView key)
{
    return QString::fromLatin1(ScrambleBytes(text.toUtf8(), key));
}

QString UnscrambleText(const QString& scrambled, QByteArrayView key)
{
    return QString::fromUtf8(UnscrambleBytes(scrambled.toLatin1(), key));
}
