#include "window/text_progress_bar.h"

namespace {

constexpr int kSteps = 1000;  // tenths of a percent

}  // namespace

TextProgressBar::TextProgressBar(const QString& text, QWidget* parent) : QProgressBar(parent), text_(text)
{
    setRange(0, kSteps);
    setValue(0);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
}

void TextProgressBar::SetText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    update();
}

void TextProgressBar::SetPercent(double percent)
{
    setValue(qBound(0, qRound(percent * kSteps / 100.0), kSteps));
}
