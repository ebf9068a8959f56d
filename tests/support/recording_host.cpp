#include "recording_host.h"

std::optional<QString> RecordingHost::AskText(const QString& prompt, const QString& title, const QString& defaultText)
{
    prompts << prompt + QLatin1Char('|') + title + QLatin1Char('|') + defaultText;
    return xAnswer;
}

bool RecordingHost::ShowFileMessage(const QString& text, bool othersMayFollow)
{
    messages << text;
    offers.push_back(othersMayFollow);
    return othersMayFollow && hideFileMessages;
}
