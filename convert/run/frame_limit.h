#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// How many frames are taken from the start of each video, chosen by the text of the frame-count choice.
namespace FrameLimit {

// The five choices, in the order they are offered.
QStringList Choices();
inline const QString kEveryX = QStringLiteral("Save every x frames in AVI as JPG");

// The limit a choice sets for one video: the stream's frame count for "every frame", 10, 100 or
// 1000 for those; `current` unchanged for the x choice and any other text.
std::int32_t ForChoice(const QString& choiceText, std::int32_t frameCount, std::int32_t current);

// The limit an answer to the x prompt gives: the answer read as a whole number (ReadWholeNumber),
// held to 32 bits; a number beyond them gives the bound on its side, anything else 0.
std::int32_t FromAnswer(const QString& answer);

}  // namespace FrameLimit
