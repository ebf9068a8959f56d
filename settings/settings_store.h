#pragma once

#include <QSettings>
#include <QString>

#include <cstdint>

// The per-user store of the program's choices: text values under one organization and one application
// name. Every value is written the moment its control changes; nothing is written on exit.
class SettingsStore {
public:
    static constexpr const char* kOrganization = "Quendrel";
    static constexpr const char* kApplication = "Stillpress Software";

    enum class Key {
        NumberOfFrames, Option2, OutputFolder, LastFolderDot, LastFolder, Extension, Snapshot,
        WhichFrames, WhichFramesValue, FromTime, ToTime,  // which frames, beyond how many
        FitWidth, FitHeight, SquarePixels, Deinterlace, FolderPerVideo, EqualLengthNumbers, KeepExisting,  // pictures
    };

    // The text the store files a key under ("Number Of Frames", "Option2", ...).
    static QString KeyName(Key key);
    // The text a read of the key gives when nothing is stored, for the keys whose default is fixed.
    // "Output Folder" has none here: its default, the desktop, is looked up on every read.
    static QString FixedDefault(Key key);

    // The store in the platform's default place and form (QSettings::defaultFormat()).
    SettingsStore();

    QString Read(Key key, const QString& defaultText) const;
    QString Read(Key key) const { return Read(key, FixedDefault(key)); }
    // Stores the text and makes it durable at once, so a crash loses nothing already chosen.
    void Write(Key key, const QString& text);

    // "Output Folder", defaulting to the desktop with one trailing separator. Throws Failure when
    // there is no desktop folder, even when a value is stored (the default is looked up every time).
    QString OutputFolder() const;
    // "Option2" read as a whole number (ReadWholeNumber) of 16 bits. Throws Failure "Type mismatch"
    // when the text is not a number and "Overflow" when it lies outside -32768 to 32767.
    std::int16_t FormatNumber() const;

private:
    mutable QSettings settings_;
};
