#include "recording_host.h"

std::optional<QString> RecordingHost::AskText(const QString& prompt, const QString& title, const QString& defaultText)
{
    prompts << prompt + QLatin1Char('|') + title + QLatin1Char('|') + defaultText;
    return xAnswer;
}
