// "Add All AVI Files In Folder": the prompt, the picker, the stored choices and the scan's entries
// arriving through the window in the scan's order.
#include "listedit/list_filling.h"
#include "listedit/scan_queue.h"
#include "listedit_test_support.h"
#include "window/file_list_widget.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kManyFiles = 1200;  // several batches

// A tree whose entries, breadth first with each folder's names in case-blind order, are known.
QStringList MakeTree(const QString& root, bool allFiles)
{
    for (const char* name : {"Beta.avi", "alpha.avi", "~skip.avi", "notes.txt", "a_sub/three.avi", "b_sub/one.avi",
             "b_sub/deeper/two.avi"})
        MakeFile(root + QLatin1Char('/') + QLatin1String(name));
    QStringList many;
    for (int i = 0; i < kManyFiles; ++i) {
        const QString path = root + QStringLiteral("/many/f%1.avi").arg(i, 4, 10, QLatin1Char('0'));
        MakeFile(path);
        many << Native(path);
    }
    QStringList expected{Native(root + QStringLiteral("/alpha.avi")), Native(root + QStringLiteral("/Beta.avi"))};
    if (allFiles)
        expected << Native(root + QStringLiteral("/notes.txt"));
    expected << Native(root + QStringLiteral("/a_sub/three.avi")) << Native(root + QStringLiteral("/b_sub/one.avi")) << many
             << Native(root + QStringLiteral("/b_sub/deeper/two.avi"));
    return expected;
}

}  // namespace

class FolderCommandTest : public QObject {
    Q_OBJECT
private slots:
    void addsTheTreeInScanOrderAndStoresTheChoices_data();
    void addsTheTreeInScanOrderAndStoresTheChoices();
    void cancellingOrAnsweringNothingChangesNothing_data();
    void cancellingOrAnsweringNothingChangesNothing();
    void runningTheCommandTwiceAddsEveryFileTwice();
    void closingTheWindowMidScanStopsIt();
    void scanThatFailsEndsThereAndTheNextOneRuns();
};

void FolderCommandTest::addsTheTreeInScanOrderAndStoresTheChoices_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("avi files") << QStringLiteral("avi");
    QTest::newRow("all files") << QStringLiteral("*");
}

void FolderCommandTest::addsTheTreeInScanOrderAndStoresTheChoices()
{
    QFETCH(QString, answer);
    QTemporaryDir tree;
    QTemporaryDir lastFolder;
    const QStringList expected = MakeTree(tree.path(), answer == QLatin1String("*"));
    WindowUnderTest window;
    window.Settings().Put(QStringLiteral("LastFolder"), lastFolder.path());
    Form1& form = window.Form();
    ControlsOf(form).ListView1->Append(QStringLiteral("already listed"));

    ModalAnswerer answerer;
    QString promptTitle, promptLabel, promptDefault, pickerTitle, pickerStart;
    answerer.Queue(AnswerText(answer, &promptTitle, &promptLabel, &promptDefault));
    answerer.Queue(PickFolderFrom(tree.path(), &pickerTitle, &pickerStart));
    ControlsOf(form).PushButton4->click();
    QVERIFY(answerer.WaitUntilAnswered());
    QVERIFY2(answerer.Unexpected().isEmpty(), qPrintable(answerer.Unexpected().join(QLatin1Char('\n'))));

    QCOMPARE(promptTitle, QStringLiteral("Stillpress"));
    QCOMPARE(promptLabel, QStringLiteral("Enter file extension to load:\n\n(* for all files, txt for all txt files, doc for all doc files, etc.)"));
    QCOMPARE(promptDefault, QStringLiteral("avi"));
    QCOMPARE(pickerTitle, QStringLiteral("Please select folder:"));
    QCOMPARE(pickerStart, lastFolder.path());

    // The scan works on its own thread; meanwhile the window is busy and shows it.
    QVERIFY(form.IsBusy());
    QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
    QTRY_VERIFY_WITH_TIMEOUT(!form.IsBusy(), 30000);
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);

    QCOMPARE(window.Entries(), QStringList{QStringLiteral("already listed")} + expected);
    QCOMPARE(window.RunEntries(), window.Entries());
    QCOMPARE(window.Settings().Value(QStringLiteral("Extension")).toString(), answer);
    QCOMPARE(window.Settings().Value(QStringLiteral("LastFolder")).toString(), Native(tree.path()));
}

void FolderCommandTest::cancellingOrAnsweringNothingChangesNothing_data()
{
    QTest::addColumn<bool>("cancelPrompt");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("cancelPicker");
    QTest::addColumn<QString>("storedExtension");
    QTest::newRow("prompt cancelled") << true << QString() << false << QStringLiteral("mpg");
    QTest::newRow("empty answer") << false << QString() << false << QStringLiteral("mpg");
    QTest::newRow("picker cancelled keeps the new extension") << false << QStringLiteral("txt") << true << QStringLiteral("txt");
}

void FolderCommandTest::cancellingOrAnsweringNothingChangesNothing()
{
    QFETCH(bool, cancelPrompt);
    QFETCH(QString, answer);
    QFETCH(bool, cancelPicker);
    QFETCH(QString, storedExtension);
    QTemporaryDir tree;
    MakeTree(tree.path(), false);
    WindowUnderTest window;
    window.Settings().Put(QStringLiteral("Extension"), QStringLiteral("mpg"));
    window.Settings().Put(QStringLiteral("LastFolder"), tree.path());

    ModalAnswerer answerer;
    QString promptDefault;
    answerer.Queue(cancelPrompt ? ModalAnswerer::Cancel() : AnswerText(answer, nullptr, nullptr, &promptDefault));
    if (cancelPicker)
        answerer.Queue(ModalAnswerer::Cancel());
    ControlsOf(window.Form()).PushButton4->click();
    QVERIFY(answerer.WaitUntilAnswered());
    QVERIFY2(answerer.Unexpected().isEmpty(), qPrintable(answerer.Unexpected().join(QLatin1Char('\n'))));
    if (!cancelPrompt)
        QCOMPARE(promptDefault, QStringLiteral("mpg"));

    QVERIFY(!window.Form().IsBusy());
    QTest::qWait(100);  // a scan started by mistake would have delivered its first batch by now
    QVERIFY(window.Entries().isEmpty());
    QCOMPARE(window.Settings().Value(QStringLiteral("Extension")).toString(), storedExtension);
    QCOMPARE(window.Settings().Value(QStringLiteral("LastFolder")).toString(), tree.path());
}

void FolderCommandTest::runningTheCommandTwiceAddsEveryFileTwice()
{
    QTemporaryDir tree;
    const QStringList expected = MakeTree(tree.path(), false);
    WindowUnderTest window;
    ModalAnswerer answerer;
    for (int run = 0; run < 2; ++run) {
        answerer.Queue(AnswerText(QStringLiteral("avi")));
        answerer.Queue(ModalAnswerer::PickFolder(tree.path()));
        ControlsOf(window.Form()).PushButton4->click();
        QVERIFY(answerer.WaitUntilAnswered());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!window.Form().IsBusy(), 30000);
    QCOMPARE(window.Entries(), expected + expected);
    QCOMPARE(window.RunEntries(), expected + expected);
}

void FolderCommandTest::closingTheWindowMidScanStopsIt()
{
    QTemporaryDir tree;
    const QStringList expected = MakeTree(tree.path(), false);
    auto window = std::make_unique<WindowUnderTest>();
    ModalAnswerer answerer;
    answerer.Queue(AnswerText(QStringLiteral("avi")));
    answerer.Queue(ModalAnswerer::PickFolder(tree.path()));
    ControlsOf(window->Form()).PushButton4->click();
    QVERIFY(answerer.WaitUntilAnswered());
    QVERIFY(window->Form().IsBusy());
    window->Form().close();
    // The scan ends on its own; what it had already handed over is a prefix of the whole.
    QTRY_VERIFY_WITH_TIMEOUT(!window->Form().IsBusy(), 30000);
    const QStringList entries = window->Entries();
    QCOMPARE(entries, expected.first(entries.size()));
    window.reset();  // and nothing of it outlives the window
    QTest::qWait(50);
}

// Whatever a scan throws on its thread (out of memory, say) comes back to the user-interface thread
// instead of ending the program; the entries it sent stay, the queue goes on with the next scan and
// is idle after the last.
void FolderCommandTest::scanThatFailsEndsThereAndTheNextOneRuns()
{
    QStringList appended;
    QList<bool> busy;
    QStringList failures;
    ScanQueue queue([&](const QStringList& batch) { appended += batch; }, [&](bool scanning) { busy << scanning; },
        [&](std::exception_ptr failure) {
            try {
                std::rethrow_exception(failure);
            } catch (const std::bad_alloc&) {
                failures << QStringLiteral("out of memory");
            }
        },
        nullptr);
    queue.Enqueue([](const ScanCallbacks& callbacks) -> ScanEnd {
        callbacks.receiveBatch({QStringLiteral("first.avi")});
        throw std::bad_alloc();
    });
    queue.Enqueue([](const ScanCallbacks& callbacks) {
        callbacks.receiveBatch({QStringLiteral("second.avi")});
        return ScanEnd::Finished;
    });
    QTRY_COMPARE_WITH_TIMEOUT(busy, (QList<bool>{true, false}), 10000);
    QCOMPARE(failures, QStringList{QStringLiteral("out of memory")});
    QCOMPARE(appended, (QStringList{QStringLiteral("first.avi"), QStringLiteral("second.avi")}));
}

QTEST_MAIN(FolderCommandTest)
#include "folder_command_test.moc"
