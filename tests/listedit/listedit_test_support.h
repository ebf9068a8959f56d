#pragma once

#include "window/form1.h"
#include "window_test_support.h"

#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// A loaded, shown main window for one test: throw-away settings, and a fresh program folder that
// holds what the test puts there (the samples, drag.ico, HAND-M.CUR).
class WindowUnderTest {
public:
    using Adjust = std::function<void(Form1Environment&)>;

    // `prepare` runs before the window is made, `adjust` changes its environment.
    explicit WindowUnderTest(const std::function<void(const QString& programFolder)>& prepare = {}, const Adjust& adjust = {});

    Form1& Form() { return *form_; }
    QString ProgramFolder() const { return programFolder_.path(); }
    ThrowAwaySettings& Settings() { return settings_; }
    QStringList Entries() const;
    // The entries as a conversion run reads them: from a thread of its own, one by one.
    QStringList RunEntries() const;

private:
    ThrowAwaySettings settings_;
    QTemporaryDir programFolder_;
    std::unique_ptr<Form1> form_;
};

// Makes the window busy or idle as a folder scan does, without one.
void SetScanning(Form1& form, bool scanning);

// Creates an empty file, with the folders above it.
void MakeFile(const QString& path);
// Copies a file of the source tree's resources folder into `folder`.
void CopyResource(const QString& name, const QString& folder);
// The native form of a path built with "/".
QString Native(const QString& path);

// Answers for the dialogs of the list commands.
ModalAnswerer::Answer AnswerText(const QString& text, QString* seenTitle = nullptr, QString* seenLabel = nullptr,
    QString* seenDefault = nullptr);
ModalAnswerer::Answer PickFolderFrom(const QString& folder, QString* seenTitle, QString* seenStart);
// A question box: records it, then clicks the button.
ModalAnswerer::Answer AnswerQuestion(QMessageBox::StandardButton button, std::vector<SeenMessageBox>* seen);
