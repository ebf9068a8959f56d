#pragma once

#include <QProgressBar>
#include <QString>

// A progress bar that shows a text of the program's own, exactly as given (no % placeholders), and
// takes its value in percent with the fraction kept.
class TextProgressBar : public QProgressBar {
    Q_OBJECT
public:
    TextProgressBar(const QString& text, QWidget* parent);

    void SetText(const QString& text);
    void SetPercent(double percent);

    QString text() const override { return text_; }

private:
    QString text_;
};
