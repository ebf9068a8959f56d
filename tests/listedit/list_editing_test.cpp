// Removing, clearing and reordering entries of the list, idle and busy, and the run's view of them.
#include "listedit_test_support.h"
#include "window/file_list_widget.h"

#include <QScrollBar>
#include <QTest>

namespace {

void Fill(FileListWidget& list, const QStringList& texts)
{
    for (const QString& text : texts)
        list.Append(text);
}

QModelIndex Entry(FileListWidget& list, int row)
{
    return list.model()->index(row, 0);
}

void Select(FileListWidget& list, int row)
{
    list.setCurrentIndex(Entry(list, row));
}

QPoint CenterOf(FileListWidget& list, int row)
{
    return list.visualRect(Entry(list, row)).center();
}

// As the user does it: the first click selects, the second comes as a double-click.
void DoubleClick(FileListWidget& list, QPoint position)
{
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, position);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, position);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, position);
}

int SelectedRow(FileListWidget& list)
{
    const QModelIndexList selected = list.selectionModel()->selectedRows();
    return selected.size() == 1 ? selected.front().row() : -1;
}

const QStringList kABC{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};

}  // namespace

class ListEditingTest : public QObject {
    Q_OBJECT
private slots:
    void deleteAndDoubleClickRemoveTheSelectedEntry();
    void removingNeedsASelectedEntry();
    void clearListEmptiesTheList();
    void nothingIsRemovedWhileBusy();
    void carriedEntrySwapsWithEachEntryPassed();
    void carryingStopsAtAnEntryWithTheSameText();
    void theLastEntryTakenUpStaysCarriedUntilRemoved();
    void carryingWorksWhileBusy();
    void carriedEntryShowsTheDragPointerUntilReleased();
    void carryingNearTheBottomEdgeScrollsOneEntryOn();
};

void ListEditingTest::deleteAndDoubleClickRemoveTheSelectedEntry()
{
    WindowUnderTest window;
    FileListWidget& list = *ControlsOf(window.Form()).ListView1;
    Fill(list, kABC + QStringList{QStringLiteral("D")});
    list.setFocus();

    Select(list, 1);
    QTest::keyClick(&list, Qt::Key_Delete);
    QCOMPARE(window.Entries(), (QStringList{"A", "C", "D"}));
    Select(list, 2);
    QTest::keyClick(&list, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(window.Entries(), (QStringList{"A", "C"}));
    Select(list, 0);
    QTest::keyClick(&list, Qt::Key_Delete, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(window.Entries(), QStringList{"C"});
    QCOMPARE(window.RunEntries(), window.Entries());

    // The first click of a double-click selects the entry under the pointer, the second removes it.
    Fill(list, {QStringLiteral("E")});
    DoubleClick(list, CenterOf(list, 1));
    QCOMPARE(window.Entries(), QStringList{"C"});
    QCOMPARE(window.RunEntries(), QStringList{"C"});
}

void ListEditingTest::removingNeedsASelectedEntry()
{
    WindowUnderTest window;
    FileListWidget& list = *ControlsOf(window.Form()).ListView1;
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Delete);
    QVERIFY(window.Entries().isEmpty());
    Fill(list, kABC);
    list.clearSelection();
    QTest::keyClick(&list, Qt::Key_Delete);
    QCOMPARE(window.Entries(), kABC);
    // A double-click below the last entry selects nothing, so nothing goes.
    DoubleClick(list, QPoint(5, list.viewport()->height() - 3));
    QCOMPARE(window.Entries(), kABC);
}

void ListEditingTest::clearListEmptiesTheList()
{
    WindowUnderTest window;
    ModalAnswerer answerer;  // records any error report
    FileListWidget& list = *ControlsOf(window.Form()).ListView1;
    Fill(list, kABC);
    ControlsOf(window.Form()).PushButton3->click();
    QVERIFY(window.Entries().isEmpty());
    QVERIFY(window.RunEntries().isEmpty());
    ControlsOf(window.Form()).PushButton3->click();  // an empty list stays empty
    QVERIFY(window.Entries().isEmpty());
    QTest::qWait(50);
    QVERIFY(answerer.Unexpected().isEmpty());
}

void ListEditingTest::nothingIsRemovedWhileBusy()
{
    WindowUnderTest window;
    Form1& form = window.Form();
    FileListWidget& list = *ControlsOf(form).ListView1;
    Fill(list, kABC);
    Select(list, 1);
    list.setFocus();
    SetScanning(form, true);
    QTest::keyClick(&list, Qt::Key_Delete);
    DoubleClick(list, CenterOf(list, 1));
    ControlsOf(form).PushButton3->click();
    QCOMPARE(window.Entries(), kABC);
    QCOMPARE(window.RunEntries(), kABC);

    SetScanning(form, false);
    Select(list, 1);
    QTest::keyClick(&list, Qt::Key_Delete);
    QCOMPARE(window.Entries(), (QStringList{"A", "C"}));
    ControlsOf(form).PushButton3->click();
    QVERIFY(window.Entries().isEmpty());
}

void ListEditingTest::carriedEntrySwapsWithEachEntryPassed()
{
    WindowUnderTest window;
    FileListWidget& list = *ControlsOf(window.Form()).ListView1;
    Fill(list, kABC);
    QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, CenterOf(list, 0));
    QTest::mouseMove(list.viewport(), CenterOf(list, 0) + QPoint(0, 1));  // still over A: nothing to swap
    QCOMPARE(window.Entries(), kABC);
    QTest::mouseMove(list.viewport(), CenterOf(list, 1));
    QCOMPARE(window.Entries(), (QStringList{"B", "A", "C"}));
    QTest::mouseMove(list.viewport(), CenterOf(list, 2));
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, CenterOf(list, 2));
    QCOMPARE(window.Entries(), (QStringList{"B", "C", "A"}));
    QCOMPARE(SelectedRow(list), 2);
    QCOMPARE(window.RunEntries(), window.Entries());

    // Moving after the release carries nothing.
    QTest::mouseMove(list.viewport(), CenterOf(list, 0));
    QCOMPARE(window.Entries(), (QStringList{"B", "C", "A"}));
}

void ListEditingTest::carryingStopsAtAnEntryWithTheSameText()
{
    WindowUnderTest window;
    FileListWidget& list = *ControlsOf(window.Form()).ListView1;
    Fill(list, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A")});
    QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, CenterOf(list, 0));
    QTest::mouseMove(list.viewport(), CenterOf(list, 1));
    QTest::mouseMove(list.viewport(), CenterOf(list, 2));
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, CenterOf(list, 2));
    QCOMPARE(window.Entries(), (QStringList{"B", "A", "A"}));
    QCOMPARE(SelectedRow(list), 1);
}

void ListEditingTest::theLastEntryTakenUpStaysCarriedUntilRemoved()
{
    WindowUnderTest window;
    FileListWidget& list = *ControlsOf(window.Form()).ListView1;
    Fill(list, kABC);
    const QPoint belowTheEntries(5, list.viewport()->height() - 3);
    QVERIFY(!list.indexAt(belowTheEntries).isValid());

    // A was taken up by a click; a press below the entries takes nothing new up, so A is carried.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, CenterOf(list, 0));
    QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, belowTheEntries);
    QTest::mouseMove(list.viewport(), CenterOf(list, 1));
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, CenterOf(list, 1));
    QCOMPARE(window.Entries(), (QStringList{"B", "A", "C"}));

    // Once removed, it is carried no more.
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Delete);
    QCOMPARE(window.Entries(), (QStringList{"B", "C"}));
    QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, belowTheEntries);
    QTest::mouseMove(list.viewport(), CenterOf(list, 0));
    QTest::mouseMove(list.viewport(), CenterOf(list, 1));
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, CenterOf(list, 1));
    QCOMPARE(window.Entries(), (QStringList{"B", "C"}));
}

void ListEditingTest::carryingWorksWhileBusy()
{
    WindowUnderTest window;
    FileListWidget& list = *ControlsOf(window.Form()).ListView1;
    Fill(list, kABC);
    SetScanning(window.Form(), true);
    QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, CenterOf(list, 2));
    QTest::mouseMove(list.viewport(), CenterOf(list, 1));
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, CenterOf(list, 1));
    QCOMPARE(window.Entries(), (QStringList{"A", "C", "B"}));
    QCOMPARE(window.RunEntries(), window.Entries());
    QCOMPARE(list.viewport()->cursor().shape(), Qt::WaitCursor);  // the busy pointer stays
}

void ListEditingTest::carriedEntryShowsTheDragPointerUntilReleased()
{
    WindowUnderTest window([](const QString& programFolder) { CopyResource(QStringLiteral("drag.ico"), programFolder); });
    FileListWidget& list = *ControlsOf(window.Form()).ListView1;
    Fill(list, kABC);
    const QImage dragImage(ResourcesFolder() + QStringLiteral("/drag.ico"));
    QVERIFY(!dragImage.isNull());

    QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, CenterOf(list, 0));
    QCOMPARE(list.viewport()->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(list.viewport()->cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
        dragImage.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    QTest::mouseMove(list.viewport(), CenterOf(list, 1));
    QCOMPARE(list.viewport()->cursor().shape(), Qt::BitmapCursor);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, CenterOf(list, 1));
    QCOMPARE(list.viewport()->cursor().shape(), Qt::ArrowCursor);
}

void ListEditingTest::carryingNearTheBottomEdgeScrollsOneEntryOn()
{
    WindowUnderTest window;
    FileListWidget& list = *ControlsOf(window.Form()).ListView1;
    QStringList texts;
    for (int i = 0; i < 60; ++i)
        texts << QStringLiteral("entry %1").arg(i);
    Fill(list, texts);
    list.scrollToTop();
    QScrollBar* scroll = list.verticalScrollBar();
    QCOMPARE(scroll->value(), 0);
    // The entry at the list's bottom edge, and a point on it within one entry's height of the edge.
    const QPoint nearBottom(5, list.viewport()->height() - 2);
    const int bottom = list.indexAt(nearBottom).row();
    QVERIFY(bottom >= 3);

    // Carrying through the middle scrolls nothing.
    QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, CenterOf(list, 0));
    QTest::mouseMove(list.viewport(), CenterOf(list, 1));
    QCOMPARE(scroll->value(), 0);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, CenterOf(list, 1));

    QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, CenterOf(list, bottom - 1));
    QTest::mouseMove(list.viewport(), nearBottom);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, nearBottom);
    QCOMPARE(window.Entries().at(bottom), texts.at(bottom - 1));
    QVERIFY(scroll->value() > 0);
    QVERIFY(list.viewport()->rect().contains(list.visualRect(Entry(list, bottom + 1))));
}

QTEST_MAIN(ListEditingTest)
#include "list_editing_test.moc"
