#include "listedit_test_support.h"

#include "filelist/file_list_model.h"
#include "window/busy_state.h"
#include "window/file_list_widget.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QTest>

#include <thread>

WindowUnderTest::WindowUnderTest(const std::function<void(const QString&)>& prepare, const Adjust& adjust)
{
    if (prepare)
        prepare(programFolder_.path());
    Form1Environment environment = QuietEnvironment(programFolder_.path());
    if (adjust)
        adjust(environment);
    form_ = std::make_unique<Form1>(std::move(environment));
    form_->Form_Load();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

QStringList WindowUnderTest::Entries() const
{
    return ControlsOf(*form_).ListView1->Texts();
}

QStringList WindowUnderTest::RunEntries() const
{
    const FileListModel& entries = ControlsOf(*form_).ListView1->Entries();
    QStringList texts;
    std::thread([&] {
        const int count = entries.Count();
        for (int index = 1; index <= count; ++index)
            texts << entries.Text(index).value_or(QStringLiteral("(gone)"));
    }).join();
    return texts;
}

void SetScanning(Form1& form, bool scanning)
{
    auto* busy = form.findChild<BusyState*>();
    QVERIFY(busy);
    busy->SetScanning(scanning);
}

void MakeFile(const QString& path)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

void CopyResource(const QString& name, const QString& folder)
{
    QVERIFY(QFile::copy(ResourcesFolder() + QLatin1Char('/') + name, folder + QLatin1Char('/') + name));
}

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

ModalAnswerer::Answer AnswerText(const QString& text, QString* seenTitle, QString* seenLabel, QString* seenDefault)
{
    return [=](QWidget* dialog) {
        auto* input = qobject_cast<QInputDialog*>(dialog);
        QVERIFY(input);
        if (seenTitle)
            *seenTitle = input->windowTitle();
        if (seenLabel)
            *seenLabel = input->labelText();
        if (seenDefault)
            *seenDefault = input->textValue();
        input->setTextValue(text);
        input->accept();
    };
}

ModalAnswerer::Answer PickFolderFrom(const QString& folder, QString* seenTitle, QString* seenStart)
{
    return [=](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        QVERIFY(files);
        *seenTitle = files->windowTitle();
        *seenStart = files->directory().absolutePath();
        files->setDirectory(folder);
        static_cast<QDialog*>(files)->accept();  // dispatches to the file dialog's own accept
    };
}

ModalAnswerer::Answer AnswerQuestion(QMessageBox::StandardButton button, std::vector<SeenMessageBox>* seen)
{
    return [=](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        QVERIFY(box);
        seen->push_back({box->windowTitle(), box->text(), box->icon(), static_cast<int>(box->buttons().size()), QString()});
        QAbstractButton* answer = box->button(button);
        QVERIFY(answer);
        answer->click();
    };
}
