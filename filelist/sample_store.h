#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The character shift that keeps the sample record from being read at a glance. Each byte (codes
// 1 to 255) is shifted by the code of the key's letter at the same position, the key repeating;
// sums above 255 wrap by 255, so every result stays in 1 to 255 and unscrambling gives the bytes back.
QByteArray ScrambleBytes(QByteArrayView bytes, QByteArrayView key);
QByteArray UnscrambleBytes(QByteArrayView bytes, QByteArrayView key);

// Text versions that work on the text's UTF-8 bytes, so a path in any script survives. The
// scrambled bytes are seldom valid UTF-8, so the scrambled text carries one byte per character
// (the Latin-1 character of that code), which a settings store keeps without loss.
QString ScrambleText(const QString& text, QByteArrayView key);
QString UnscrambleText(const QString& scrambled, QByteArrayView key);
