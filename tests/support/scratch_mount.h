#pragma once

#include <QString>

#include <optional>
#include <utility>

// A file system mounted over a folder for the length of one test, so a test can make a folder small
// (a full disk) or read-only even for root. Mounting needs privileges a machine may not grant: the
// factories answer none then, with the reason in `why`, for the test to skip with.
class ScratchMount {
public:
    // An empty tmpfs of `bytes` over `folder`.
    static std::optional<ScratchMount> SmallDisk(const QString& folder, long long bytes, QString& why);
    // `folder` itself, with what it holds, seen read-only from now on (files already open for writing
    // can still be written).
    static std::optional<ScratchMount> ReadOnly(const QString& folder, QString& why);

    ~ScratchMount();
    ScratchMount(ScratchMount&& other) noexcept : folder_(std::exchange(other.folder_, QString())) {}
    // The mount given up is undone when `other` goes.
    ScratchMount& operator=(ScratchMount&& other) noexcept
    {
        std::swap(folder_, other.folder_);
        return *this;
    }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

private:
    explicit ScratchMount(QString folder) : folder_(std::move(folder)) {}
    QString folder_;  // empty once moved from
};
