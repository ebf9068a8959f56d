#include "window/message_boxes.h"

#include "common/error_report.h"

#include <QCheckBox>
#include <QInputDialog>
#include <QMessageBox>

namespace {

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, ScreenText(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

void ShowMessageBox(QWidget* parent, const QString& title, const QString& text)
{
    ShowBox(parent, QMessageBox::NoIcon, title, text);
}

bool ShowMessageWithChoiceBox(QWidget* parent, const QString& title, const QString& text, const QString& choice)
{
    QMessageBox box(QMessageBox::NoIcon, title, ScreenText(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setCheckBox(new QCheckBox(choice, &box));  // the box owns it
    box.exec();
    return box.checkBox()->isChecked();
}

bool AskYesNoBox(QWidget* parent, const QString& title, const QString& question, DefaultAnswer preset)
{
    QMessageBox box(QMessageBox::NoIcon, title, ScreenText(question), QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(preset == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void ShowErrorReportBox(QWidget* parent, const QString& message)
{
    ShowBox(parent, QMessageBox::Warning, QString::fromLatin1(ErrorReport::kTitle), message);
}

std::optional<QString> AskTextBox(QWidget* parent, const QString& title, const QString& prompt, const QString& defaultText)
{
    QInputDialog dialog(parent);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(title);
    dialog.setLabelText(ScreenText(prompt));
    dialog.setTextValue(defaultText);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString ScreenText(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}
