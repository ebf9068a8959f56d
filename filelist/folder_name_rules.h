#pragma once

#include <QString>

// True when the name holds a control character (codes below 32, or 127 to 159) or a "?".
// Letters of any script are ordinary: only control codes and "?" count as unusual.
bool HasUnusualChars(const QString& name);

// Whether the scan enters a subfolder of this name: not "." or "..", nothing unusual in it.
bool IsAcceptableSubfolderName(const QString& name);
