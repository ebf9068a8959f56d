#include "window/window_dialogs.h"

#include "window/browse_for_folder.h"

WindowDialogs::WindowDialogs(QWidget& window, const QString& applicationTitle)
    : window_(window), applicationTitle_(applicationTitle)
{
}

ErrorTrap WindowDialogs::MakeTrap(const char* location) const
{
    return ErrorTrap(QString::fromLatin1(location), [this](const QString& message) { ShowErrorReport(message); });
}

void WindowDialogs::ShowErrorReport(const QString& message) const
{
    ShowErrorReportBox(&window_, message);
}

void WindowDialogs::ShowMessage(const QString& text) const
{
    ShowMessageBox(&window_, applicationTitle_, text);
}

bool WindowDialogs::AskYesNo(const QString& question, DefaultAnswer preset) const
{
    return AskYesNoBox(&window_, applicationTitle_, question, preset);
}

bool WindowDialogs::ShowFileMessage(const QString& text, bool othersMayFollow) const
{
    if (!othersMayFollow) {
        ShowMessage(text);
        return false;
    }
    return ShowMessageWithChoiceBox(&window_, applicationTitle_, text, QString::fromLatin1(kHideFileMessages));
}

std::optional<QString> WindowDialogs::AskText(const QString& prompt, const QString& defaultText, const QString& title) const
{
    return AskTextBox(&window_, title.isEmpty() ? applicationTitle_ : title, prompt, defaultText);
}

QString WindowDialogs::PickFolder(const QString& prompt, const QString& startFolder) const
{
    return BrowseForFolder(&window_, prompt, startFolder);
}
