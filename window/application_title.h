#pragma once

#include <QString>

// The title message boxes and prompts show: the product text cut at its last blank, again and again
// until it is at most 40 characters long, and at least once ("Stillpress Software" gives "Stillpress").
QString DeriveApplicationTitle(QString text);
