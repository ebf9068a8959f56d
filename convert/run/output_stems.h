#pragma once

#include <QSet>
#include <QString>

// The stems under which the videos of one run write their frames. A stem already taken by an earlier
// video of the run gets " (2)", " (3)" and so on, so a run never overwrites the frames it wrote itself.
class OutputStems {
public:
    QString Claim(const QString& stem);

private:
    static QString Key(const QString& stem);
    QSet<QString> taken_;
};
