// The hand-over of progress from a run's thread to the window, and the live preview's picture.
#include "convert/picture/packed_dib.h"
#include "window/frame_preview.h"
#include "window/progress_relay.h"

#include <QTest>

#include <algorithm>
#include <thread>

using Bar = ConversionHost::Bar;

class ProgressAndPreviewTest : public QObject {
    Q_OBJECT

private slots:
    void onlyTheFirstReportAfterATakeAsksForANotice()
    {
        ProgressRelay relay;
        QVERIFY(relay.SetText(Bar::Files, "Processing: a.avi"));
        QVERIFY(!relay.SetText(Bar::Frames, "Frames Processed: 1 of 3 frame(s)"));
        QVERIFY(!relay.SetPercent(Bar::Frames, 33.3));
        QVERIFY(!relay.SetBusy(true));
        relay.Take();
        QVERIFY(relay.SetPercent(Bar::Files, 50));
    }

    void takeGivesTheLatestOfEachItemAndEmptiesTheRelay()
    {
        ProgressRelay relay;
        relay.SetText(Bar::Frames, "Frames Processed: 1 of 3 frame(s)");
        relay.SetText(Bar::Frames, "Frames Processed: 2 of 3 frame(s)");
        relay.SetPercent(Bar::Files, 50.0);
        relay.SetPercent(Bar::Files, 100.0);
        relay.SetBusy(true);

        const ProgressChanges changes = relay.Take();
        QCOMPARE(changes.text[1], std::optional<QString>("Frames Processed: 2 of 3 frame(s)"));
        QCOMPARE(changes.percent[0], std::optional<double>(100.0));
        QVERIFY(!changes.text[0]);
        QVERIFY(!changes.percent[1]);
        QCOMPARE(changes.busy, std::optional<bool>(true));
        QVERIFY(relay.Busy());

        const ProgressChanges nothing = relay.Take();
        QVERIFY(!nothing.text[1] && !nothing.percent[0] && !nothing.busy && !nothing.frame);
        QVERIFY(relay.Busy());  // the state stays; only the news is gone
    }

    void reportsFromAnotherThreadAreNeitherLostNorDoubled()
    {
        ProgressRelay relay;
        constexpr int kReports = 20000;
        int notices = 0;
        std::thread run([&] {
            for (int i = 1; i <= kReports; ++i)
                notices += relay.SetPercent(Bar::Frames, i) ? 1 : 0;
        });
        int takes = 0;
        double last = 0;
        while (last < kReports) {
            const ProgressChanges changes = relay.Take();
            if (changes.percent[1]) {
                QVERIFY(*changes.percent[1] > last);
                last = *changes.percent[1];
                ++takes;
            }
        }
        run.join();
        QCOMPARE(last, double(kReports));
        // Every notice was answered by a take that found news, and no news came without a notice.
        QCOMPARE(notices, takes);
    }

    void previewIsUprightAndFitsItsBox()
    {
        // 4 x 2 frame: top row red, bottom row blue. The rows lie bottom-up in the bitmap.
        PackedDib frame(4, 2);
        std::fill_n(frame.Bits(), frame.Stride() * 2, std::uint8_t{0});
        for (int x = 0; x < 4; ++x) {
            std::uint8_t* bottom = frame.Bits() + x * 3;
            std::uint8_t* top = frame.Bits() + frame.Stride() + x * 3;
            bottom[0] = 255;  // blue, in BGR order
            top[2] = 255;     // red
        }
        const QImage preview = FramePreview(frame, QSize(33, 29)).toImage();
        QCOMPARE(preview.width(), 33);  // 2:1 kept within the box
        QVERIFY2(qAbs(preview.height() - 16.5) < 1, qPrintable(QString::number(preview.height())));
        QCOMPARE(QColor(preview.pixel(16, 1)), QColor(Qt::red));
        QCOMPARE(QColor(preview.pixel(16, preview.height() - 2)), QColor(Qt::blue));
    }

    void previewOfAnOddWidthFrameReadsPaddedRows()
    {
        // 3 pixels of 3 bytes pad each row to 12 bytes; a green column at x = 2 must stay at the right.
        PackedDib frame(3, 3);
        QCOMPARE(frame.Stride(), std::size_t{12});
        std::fill_n(frame.Bits(), frame.Stride() * 3, std::uint8_t{0});
        for (int y = 0; y < 3; ++y)
            frame.Bits()[std::size_t(y) * frame.Stride() + 2 * 3 + 1] = 255;
        const QImage preview = FramePreview(frame, QSize(3, 3)).toImage();
        QCOMPARE(preview.size(), QSize(3, 3));
        for (int y = 0; y < 3; ++y) {
            QCOMPARE(QColor(preview.pixel(2, y)), QColor(Qt::green));
            QCOMPARE(QColor(preview.pixel(0, y)), QColor(Qt::black));
        }
    }
};

QTEST_MAIN(ProgressAndPreviewTest)
#include "progress_and_preview_test.moc"
