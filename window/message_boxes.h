#pragma once

#include <QString>
#include <QWidget>

#include <optional>

// The program's modal boxes. Texts may carry the line breaks of the composed messages (CR LF, or a
// lone CR); each shows on screen as a new line.

// A plain message with one OK button and no icon.
void ShowMessageBox(QWidget* parent, const QString& title, const QString& text);

// A plain message with one OK button and no icon, and below it a check box with `choice`; true when
// the user ticked it.
bool ShowMessageWithChoiceBox(QWidget* parent, const QString& title, const QString& text, const QString& choice);

// The answer a question gives when the user just presses Enter.
enum class DefaultAnswer { Yes, No };

// A question with the buttons Yes and No and no icon; true for Yes.
bool AskYesNoBox(QWidget* parent, const QString& title, const QString& question, DefaultAnswer preset = DefaultAnswer::Yes);

// The "Application Error" report: warning icon, one OK button.
void ShowErrorReportBox(QWidget* parent, const QString& message);

// An input box with a prompt and a pre-filled answer; none when the user cancelled.
std::optional<QString> AskTextBox(QWidget* parent, const QString& title, const QString& prompt, const QString& defaultText);

// The text as the screen shows it: every CR LF and every lone CR becomes one line feed.
QString ScreenText(QString text);
