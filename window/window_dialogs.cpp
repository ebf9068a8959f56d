#include "window/window_dialogs.h"

#include "window/browse_for_folder.h"
#include "window/message_boxes.h"

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

bool WindowDialogs::AskYesNo(const QString& question) const
{
    return AskYesNoBox(&window_, applicationTitle_, question);
}

std::optional<QString> WindowDialogs::AskText(const QString& prompt, const QString& defaultText, const QString& title) const
{
    return AskTextBox(&window_, title.isEmpty() ? applicationTitle_ : title, prompt, defaultText);
}

QString WindowDialogs::PickFolder(const QString& prompt, const QString& startFolder) const
{
    return BrowseForFolder(&window_, prompt, startFolder);
}
