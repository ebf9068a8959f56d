// Files and folders dropped on the list, as a file manager hands them over.
#include "listedit_test_support.h"
#include "window/file_list_widget.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

std::unique_ptr<QMimeData> LocalFiles(const QStringList& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

struct DropOutcome {
    bool enterAccepted = false;
    bool moveAccepted = false;
    bool dropAccepted = false;
};

// Drags the data over the middle of the list and drops it there.
DropOutcome DragAndDrop(FileListWidget& list, const QMimeData& data)
{
    QWidget* target = list.viewport();
    const QPoint middle = target->rect().center();
    DropOutcome outcome;
    QDragEnterEvent enter(middle, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    outcome.enterAccepted = enter.isAccepted();
    QDragMoveEvent move(middle, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    outcome.moveAccepted = move.isAccepted();
    QDropEvent drop(middle, Qt::CopyAction | Qt::MoveAction, &data, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    outcome.dropAccepted = drop.isAccepted();
    return outcome;
}

// A folder with a file at the top, one in a subfolder, a text file, and the names the scan leaves out.
QStringList MakeFolder(const QString& folder)
{
    for (const char* name : {"b.avi", "a.txt", "~hidden.avi", "sub/c.png"})
        MakeFile(folder + QLatin1Char('/') + QLatin1String(name));
    return {Native(folder + QStringLiteral("/a.txt")), Native(folder + QStringLiteral("/b.avi")),
        Native(folder + QStringLiteral("/sub/c.png"))};
}

}  // namespace

class ListDropTest : public QObject {
    Q_OBJECT
private slots:
    void droppedFilesAreAppendedUnchanged();
    void droppedFoldersAreScannedWithEveryFile();
    void mixedDropsKeepTheirOrder();
    void dropsInQuickSuccessionStayTogether();
    void dataWithoutLocalFilesIsRefused_data();
    void dataWithoutLocalFilesIsRefused();
};

void ListDropTest::droppedFilesAreAppendedUnchanged()
{
    QTemporaryDir folder;
    const QString readme = Native(folder.path() + QStringLiteral("/readme.txt"));
    const QString clip = Native(folder.path() + QStringLiteral("/clip.avi"));
    MakeFile(readme);
    WindowUnderTest window;
    FileListWidget& list = *ControlsOf(window.Form()).ListView1;
    const auto data = LocalFiles({readme, clip});
    const DropOutcome outcome = DragAndDrop(list, *data);
    QVERIFY(outcome.enterAccepted && outcome.moveAccepted && outcome.dropAccepted);
    // The second drop of the same file adds it again; a file that is gone is taken as it is.
    DragAndDrop(list, *LocalFiles({readme}));
    QTRY_COMPARE_WITH_TIMEOUT(window.Entries(), (QStringList{readme, clip, readme}), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!window.Form().IsBusy(), 10000);
    QCOMPARE(window.RunEntries(), window.Entries());
}

void ListDropTest::droppedFoldersAreScannedWithEveryFile()
{
    QTemporaryDir first;
    QTemporaryDir second;
    const QStringList expected = MakeFolder(first.path()) + MakeFolder(second.path());
    WindowUnderTest window;
    DragAndDrop(*ControlsOf(window.Form()).ListView1, *LocalFiles({first.path(), second.path()}));
    QTRY_VERIFY_WITH_TIMEOUT(!window.Form().IsBusy(), 10000);
    QCOMPARE(window.Entries(), expected);
    QCOMPARE(window.RunEntries(), expected);
}

void ListDropTest::mixedDropsKeepTheirOrder()
{
    QTemporaryDir files;
    QTemporaryDir folder;
    const QString before = Native(files.path() + QStringLiteral("/z_before.avi"));
    const QString after = Native(files.path() + QStringLiteral("/a_after.avi"));
    MakeFile(before);
    MakeFile(after);
    const QStringList inFolder = MakeFolder(folder.path());
    WindowUnderTest window;
    DragAndDrop(*ControlsOf(window.Form()).ListView1, *LocalFiles({before, folder.path(), after}));
    QTRY_VERIFY_WITH_TIMEOUT(!window.Form().IsBusy(), 10000);
    QCOMPARE(window.Entries(), QStringList{before} + inFolder + QStringList{after});
}

void ListDropTest::dropsInQuickSuccessionStayTogether()
{
    // Each tree is larger than one batch, so interleaved scans would mix their entries.
    QTemporaryDir first;
    QTemporaryDir second;
    QStringList expected;
    for (const QTemporaryDir* folder : {&first, &second}) {
        for (int i = 0; i < 700; ++i) {
            const QString path = folder->path() + QStringLiteral("/f%1.avi").arg(i, 3, 10, QLatin1Char('0'));
            MakeFile(path);
            expected << Native(path);
        }
    }
    WindowUnderTest window;
    FileListWidget& list = *ControlsOf(window.Form()).ListView1;
    DragAndDrop(list, *LocalFiles({first.path()}));
    DragAndDrop(list, *LocalFiles({second.path()}));
    QVERIFY(window.Form().IsBusy());
    QTRY_VERIFY_WITH_TIMEOUT(!window.Form().IsBusy(), 30000);
    QCOMPARE(window.Entries(), expected);
}

void ListDropTest::dataWithoutLocalFilesIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("plain text") << QStringLiteral("text");
    QTest::newRow("web addresses") << QStringLiteral("urls");
    QTest::newRow("an entry of the list itself") << QStringLiteral("items");
}

void ListDropTest::dataWithoutLocalFilesIsRefused()
{
    QFETCH(QString, kind);
    QTemporaryDir folder;
    const QString path = Native(folder.path() + QStringLiteral("/clip.avi"));
    MakeFile(path);
    WindowUnderTest window;
    FileListWidget& list = *ControlsOf(window.Form()).ListView1;
    list.Append(path);

    std::unique_ptr<QMimeData> data;
    if (kind == QLatin1String("text")) {
        data = std::make_unique<QMimeData>();
        data->setText(path);  // a path as text is still no file
    } else if (kind == QLatin1String("urls")) {
        data = std::make_unique<QMimeData>();
        data->setUrls({QUrl(QStringLiteral("https://stillpress.org/clip.avi"))});
    } else {
        data.reset(list.model()->mimeData({list.model()->index(0, 0)}));
    }
    const DropOutcome outcome = DragAndDrop(list, *data);
    QVERIFY(!outcome.enterAccepted);
    QVERIFY(!outcome.moveAccepted);
    QVERIFY(!outcome.dropAccepted);
    QVERIFY(!window.Form().IsBusy());
    QTest::qWait(100);  // a scan started by mistake would have delivered by now
    QCOMPARE(window.Entries(), QStringList{path});
}

QTEST_MAIN(ListDropTest)
#include "list_drop_test.moc"
