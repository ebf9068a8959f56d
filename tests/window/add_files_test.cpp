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
        bench_.emplace();
        QVERIFY(bench_->programFolder.isValid());
        QVERIFY(videos_.emplace().isValid());
        for (const char* name : {"a.avi", "b.avi", "c.avi", "clip.mp4", "notes.txt"}) {
            QFile file(videos_->filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        form_ = &bench_->OpenWindow();
    }

    void cleanup()
    {
        QVERIFY2(bench_->UnexpectedDialogs().isEmpty(), qPrintable(bench_->UnexpectedDialogs()));
        form_ = nullptr;
        bench_.reset();
        videos_.reset();
    }

    void dialogAsksForVideoFilesAndAllowsSeveral()
    {
        QString title;
        QStringList filters;
        QString selectedFilter;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        bench_->answerer.Queue([&](QWidget* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            QVERIFY(files);
            title = files->windowTitle();
            filters = files->nameFilters();
            selectedFilter = files->selectedNameFilter();
            mode = files->fileMode();
            files->reject();
        });
        Click();
        QCOMPARE(title, QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
        QCOMPARE(filters.size(), 3);
        QCOMPARE(filters.value(0), QStringLiteral("AVI Files (*.avi)"));
        QCOMPARE(filters.value(2), QStringLiteral("All Files (*)"));
        // Every kind of video the program reads, and the one shown first.
        QVERIFY(filters.value(1).startsWith("Video Files ("));
        for (const char* pattern : {"*.avi", "*.mp4", "*.m4v", "*.mov", "*.3gp", "*.mkv", "*.webm", "*.ts", "*.m2ts",
                 "*.mts", "*.mpg", "*.vob", "*.wmv", "*.asf", "*.flv", "*.ogv", "*.mxf", "*.dv"})
            QVERIFY2(filters.value(1).contains(QLatin1String(pattern) + QLatin1Char(' '))
                    || filters.value(1).contains(QLatin1String(pattern) + QLatin1Char(')')),
                pattern);
        QCOMPARE(selectedFilter, filters.value(1));
        QCOMPARE(mode, QFileDialog::ExistingFiles);
    }

    void videosOfEveryKindCanBeChosen()
    {
        bench_->answerer.Queue(ModalAnswerer::PickFiles(videos_->path(), {"clip.mp4", "a.avi"}));
        Click();
        QCOMPARE(Entries(), (QStringList{Native("clip.mp4"), Native("a.avi")}));
    }

    void oneChosenFileIsAppendedAsReturned()
    {
        bench_->answerer.Queue(ModalAnswerer::PickFiles(videos_->path(), {"b.avi"}));
        Click();
        QCOMPARE(Entries(), QStringList{Native("b.avi")});
    }

    void severalChosenFilesAreAppendedInTheDialogsOrder()
    {
        bench_->answerer.Queue(ModalAnswerer::PickFiles(videos_->path(), {"c.avi", "a.avi"}));
        Click();
        bench_->answerer.Queue(ModalAnswerer::PickFiles(videos_->path(), {"b.avi", "c.avi", "a.avi"}));
        Click();
        QCOMPARE(Entries(), (QStringList{Native("c.avi"), Native("a.avi"), Native("b.avi"), Native("c.avi"), Native("a.avi")}));
    }

    void cancelAddsNothing()
    {
        bench_->answerer.Queue(ModalAnswerer::PickFiles(videos_->path(), {"a.avi"}));
        Click();
        bench_->answerer.Queue(ModalAnswerer::Cancel());
        Click();
        QCOMPARE(Entries(), QStringList{Native("a.avi")});
    }

    void theSameFileTwiceGivesTwoEntries()
    {
        for (int i = 0; i < 2; ++i) {
            bench_->answerer.Queue(ModalAnswerer::PickFiles(videos_->path(), {"a.avi"}));
            Click();
        }
        QCOMPARE(Entries(), (QStringList{Native("a.avi"), Native("a.avi")}));
    }

private:
    void Click()
    {
        QTest::mouseClick(ControlsOf(*form_).PushButton1, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered());
    }

    QStringList Entries() const
    {
        const FileListWidget* list = ControlsOf(*form_).ListView1;
        QStringList entries;
        for (int i = 1; i <= list->Count(); ++i)
            entries << list->Text(i);
        return entries;
    }

    QString Native(const QString& name) const { return QDir::toNativeSeparators(videos_->filePath(name)); }

    std::optional<WindowBench> bench_;
    std::optional<QTemporaryDir> videos_;
    Form1* form_ = nullptr;
};

QTEST_MAIN(AddFilesTest)
#include "add_files_test.moc"
