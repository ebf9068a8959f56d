// The settings store: where it files the seven keys, their defaults, that a write is on disk at once,
// and the stored format number read as a 16-bit whole number.
#include "window_test_support.h"

#include "common/failure.h"
#include "settings/settings_store.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

using Key = SettingsStore::Key;

class SettingsStoreTest : public QObject {
    Q_OBJECT

private slots:
    void init() { settings_ = std::make_unique<ThrowAwaySettings>(); }
    void cleanup() { settings_.reset(); }

    void absentKeysReadAsTheirDefaults()
    {
        const SettingsStore store;
        QCOMPARE(store.Read(Key::NumberOfFrames), QStringLiteral("Save every frame in AVI as JPG"));
        QCOMPARE(store.Read(Key::Option2), QStringLiteral("2"));
        QCOMPARE(store.Read(Key::LastFolderDot), QString());
        QCOMPARE(store.Read(Key::LastFolder), QString());
        QCOMPARE(store.Read(Key::Extension), QStringLiteral("avi"));
        QCOMPARE(store.Read(Key::Snapshot), QString());
        QCOMPARE(store.Read(Key::Snapshot, QStringLiteral("False")), QStringLiteral("False"));
        QCOMPARE(store.OutputFolder(),
            QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)) + QDir::separator());
        QCOMPARE(store.FormatNumber(), std::int16_t{2});
        QVERIFY(settings_->Keys().isEmpty());  // reading writes nothing
    }

    void eachKeyIsFiledUnderItsOwnName()
    {
        SettingsStore store;
        const std::pair<Key, const char*> keys[] = {{Key::NumberOfFrames, "Number Of Frames"}, {Key::Option2, "Option2"},
            {Key::OutputFolder, "Output Folder"}, {Key::LastFolderDot, "LastFolderDot"}, {Key::LastFolder, "LastFolder"},
            {Key::Extension, "Extension"}, {Key::Snapshot, "Snapshot"}};
        for (const auto& [key, name] : keys)
            store.Write(key, QStringLiteral("value of ") + QLatin1String(name));
        for (const auto& [key, name] : keys) {
            QCOMPARE(settings_->Value(QLatin1String(name)).toString(), QStringLiteral("value of ") + QLatin1String(name));
            QCOMPARE(store.Read(key, QString()), QStringLiteral("value of ") + QLatin1String(name));
        }
        QCOMPARE(settings_->Keys().size(), 7);
    }

    void aStoredOutputFolderWinsOverTheDesktop()
    {
        SettingsStore store;
        store.Write(Key::OutputFolder, QStringLiteral("C:\\frames, old\\"));
        QCOMPARE(store.OutputFolder(), QStringLiteral("C:\\frames, old\\"));
    }

    void aWriteIsOnDiskAtOnce()
    {
        SettingsStore store;
        store.Write(Key::Extension, QStringLiteral("mpg"));
        // The store object is still alive: nothing has been flushed by its end.
        QFile file(settings_->Folder() + "/Quendrel/Stillpress Software.ini");
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        QVERIFY2(file.readAll().contains("Extension=mpg"), qPrintable(file.fileName()));
    }

    void formatNumberReadsSixteenBitWholeNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("plain") << "7" << 7;
        QTest::newRow("sign and blanks") << "  +3 " << 3;
        QTest::newRow("negative") << "-12" << -12;
        QTest::newRow("half to even, down") << "6.5" << 6;
        QTest::newRow("half to even, up") << "7.5" << 8;
        QTest::newRow("exponent") << "5e0" << 5;
        QTest::newRow("smallest") << "-32768" << -32768;
        QTest::newRow("largest") << "32767" << 32767;
        QTest::newRow("rounds down into range") << "32766.5" << 32766;
    }

    void formatNumberReadsSixteenBitWholeNumbers()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        settings_->Put("Option2", text);
        QCOMPARE(int(SettingsStore().FormatNumber()), number);
    }

    void formatNumberRefusesOtherTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("description");
        QTest::newRow("letters") << "abc" << 13 << "Type mismatch";
        QTest::newRow("empty") << "" << 13 << "Type mismatch";
        QTest::newRow("number then letters") << "3x" << 13 << "Type mismatch";
        QTest::newRow("one past the largest") << "32768" << 6 << "Overflow";
        QTest::newRow("rounds up out of range") << "32767.5" << 6 << "Overflow";
        QTest::newRow("one below the smallest") << "-32769" << 6 << "Overflow";
        QTest::newRow("beyond a double") << "1e400" << 6 << "Overflow";
    }

    void formatNumberRefusesOtherTexts()
    {
        QFETCH(QString, text);
        QFETCH(int, code);
        QFETCH(QString, description);
        settings_->Put("Option2", text);
        try {
            SettingsStore().FormatNumber();
            QFAIL("no failure");
        } catch (const Failure& failure) {
            QCOMPARE(failure.code(), code);
            QCOMPARE(failure.description(), description);
        }
    }

private:
    std::unique_ptr<ThrowAwaySettings> settings_;
};

QTEST_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
