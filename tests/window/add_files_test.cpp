// "Add AVI File(s)": the open dialog as the user sees it, and what one, several or no chosen files
// put into the list.
#include "window_test_support.h"

#include "window/file_list_widget.h"
#include "window/form1.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTest>

class AddFilesTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        settings_ = std::make_unique<ThrowAwaySettings>();
        answerer_ = std::make_unique<ModalAnswerer>();
        QVERIFY(programFolder_.emplace().isValid());
        QVERIFY(videos_.emplace().isValid());
        for (const char* name : {"a.avi", "b.avi", "c.avi", "notes.txt"}) {
            QFile file(videos_->filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        form_ = std::make_unique<Form1>(QuietEnvironment(programFolder_->path()));
        form_->Form_Load();
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }

    void cleanup()
    {
        form_.reset();
        QVERIFY2(answerer_->Unexpected().isEmpty(), qPrintable(answerer_->Unexpected().join("; ")));
        answerer_.reset();
        settings_.reset();
        videos_.reset();
        programFolder_.reset();
    }

    void dialogAsksForAviFilesAndAllowsSeveral()
    {
        QString title;
        QStringList filters;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        answerer_->Queue([&](QWidget* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            QVERIFY(files);
            title = files->windowTitle();
            filters = files->nameFilters();
            mode = files->fileMode();
            files->reject();
        });
        Click();
        QCOMPARE(title, QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
        QCOMPARE(filters, QStringList{"AVI Files (*.avi)"});
        QCOMPARE(mode, QFileDialog::ExistingFiles);
    }

    void oneChosenFileIsAppendedAsReturned()
    {
        answerer_->Queue(ModalAnswerer::PickFiles(videos_->path(), {"b.avi"}));
        Click();
        QCOMPARE(Entries(), QStringList{Native("b.avi")});
    }

    void severalChosenFilesAreAppendedInTheDialogsOrder()
    {
        answerer_->Queue(ModalAnswerer::PickFiles(videos_->path(), {"c.avi", "a.avi"}));
        Click();
        answerer_->Queue(ModalAnswerer::PickFiles(videos_->path(), {"b.avi", "c.avi", "a.avi"}));
        Click();
        QCOMPARE(Entries(), (QStringList{Native("c.avi"), Native("a.avi"), Native("b.avi"), Native("c.avi"), Native("a.avi")}));
    }

    void cancelAddsNothing()
    {
        answerer_->Queue(ModalAnswerer::PickFiles(videos_->path(), {"a.avi"}));
        Click();
        answerer_->Queue(ModalAnswerer::Cancel());
        Click();
        QCOMPARE(Entries(), QStringList{Native("a.avi")});
    }

    void theSameFileTwiceGivesTwoEntries()
    {
        for (int i = 0; i < 2; ++i) {
            answerer_->Queue(ModalAnswerer::PickFiles(videos_->path(), {"a.avi"}));
            Click();
        }
        QCOMPARE(Entries(), (QStringList{Native("a.avi"), Native("a.avi")}));
    }

private:
    void Click()
    {
        QTest::mouseClick(form_->Controls().PushButton1, Qt::LeftButton);
        QVERIFY(answerer_->WaitUntilAnswered());
    }

    QStringList Entries() const
    {
        const FileListWidget* list = form_->Controls().ListView1;
        QStringList entries;
        for (int i = 1; i <= list->Count(); ++i)
            entries << list->Text(i);
        return entries;
    }

    QString Native(const QString& name) const { return QDir::toNativeSeparators(videos_->filePath(name)); }

    std::unique_ptr<ThrowAwaySettings> settings_;
    std::unique_ptr<ModalAnswerer> answerer_;
    std::optional<QTemporaryDir> programFolder_;
    std::optional<QTemporaryDir> videos_;
    std::unique_ptr<Form1> form_;
};

QTEST_MAIN(AddFilesTest)
#include "add_files_test.moc"
