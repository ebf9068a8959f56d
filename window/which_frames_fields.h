#pragma once

#include "convert/source/frame_selection.h"

#include <QString>
#include <QStringList>

#include <variant>

// The "Which frames" row of the frame "Number Of Frame(s)": the rule, its n or s, and the times From
// and To (empty: the start, the end).
namespace WhichFramesFields {

// The rules, in the order they are offered; the first is every frame.
QStringList Rules();
// Whether the rule numbered `rule` (its place in Rules) takes an n or an s.
bool TakesValue(int rule);

// The selection the fields ask for, or the message that names the field that is wrong.
std::variant<FrameSelection, QString> Read(int rule, const QString& value, const QString& from, const QString& to);

}  // namespace WhichFramesFields
