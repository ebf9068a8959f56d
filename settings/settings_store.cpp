#include "settings/settings_store.h"

#include "common/failure.h"
#include "common/path_helpers.h"
#include "common/whole_number.h"

#include <QVariant>

#include <iterator>
#include <limits>

namespace {

struct KeyInfo {
    const char* name;
    const char* fixedDefault;
};

// Every key with its default, in one place, in the order of SettingsStore::Key.
constexpr KeyInfo kKeys[] = {
    {"Number Of Frames", "Save every frame in AVI as JPG"},
    {"Option2", "2"},
    {"Output Folder", ""},
    {"LastFolderDot", ""},
    {"LastFolder", ""},
    {"Extension", "avi"},
    {"Snapshot", ""},
    {"Which Frames", "Every frame"},
    {"Which Frames Value", ""},
    {"From", ""},
    {"To", ""},
    {"Fit Width", ""},
    {"Fit Height", ""},
    {"Square Pixels", ""},
    {"Deinterlace", ""},
    {"Folder Per Video", ""},
    {"Numbers Of Equal Length", ""},
    {"Keep Existing Images", ""},
};
static_assert(std::size(kKeys) == static_cast<std::size_t>(SettingsStore::Key::KeepExisting) + 1);

const KeyInfo& InfoOf(SettingsStore::Key key)
{
    return kKeys[static_cast<std::size_t>(key)];
}

}  // namespace

QString SettingsStore::KeyName(Key key)
{
    return QString::fromLatin1(InfoOf(key).name);
}

QString SettingsStore::FixedDefault(Key key)
{
    return QString::fromLatin1(InfoOf(key).fixedDefault);
}

SettingsStore::SettingsStore()
    : settings_(QSettings::defaultFormat(), QSettings::UserScope, QString::fromLatin1(kOrganization),
          QString::fromLatin1(kApplication))
{
}

QString SettingsStore::Read(Key key, const QString& defaultText) const
{
    return settings_.value(KeyName(key), defaultText).toString();
}

void SettingsStore::Write(Key key, const QString& text)
{
    settings_.setValue(KeyName(key), text);
    settings_.sync();
}

QString SettingsStore::OutputFolder() const
{
    return Read(Key::OutputFolder, SpecialFolderPath());
}

std::int16_t SettingsStore::FormatNumber() const
{
    const WholeNumber number =
        ReadWholeNumber(Read(Key::Option2), std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max());
    switch (number.reading) {
    case WholeNumber::Reading::NotANumber:
        throw Failure(Failure::kTypeMismatch, QStringLiteral("Type mismatch"));
    case WholeNumber::Reading::Overflow:
        throw Failure(Failure::kOverflow, QStringLiteral("Overflow"));
    case WholeNumber::Reading::Number:
        break;
    }
    return static_cast<std::int16_t>(number.value);
}
