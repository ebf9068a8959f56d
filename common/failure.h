#pragma once

#include <QString>
#include <exception>

// A failure that a trapped procedure reports: a numeric code and the description the user sees.
// Thrown inside the core and turned into the error report once, by the procedure's trap.
class Failure : public std::exception {
public:
    Failure(int code, QString description) : code_(code), description_(std::move(description)),
        utf8_(description_.toUtf8()) {}

    int code() const noexcept { return code_; }
    const QString& description() const noexcept { return description_; }
    const char* what() const noexcept override { return utf8_.constData(); }

    // The codes the program raises itself.
    static constexpr int kInvalidArgument = 5;
    static constexpr int kOverflow = 6;
    static constexpr int kTypeMismatch = 13;
    static constexpr int kPermissionDenied = 70;
    static constexpr int kPathNotFound = 76;

private:
    int code_;
    QString description_;
    QByteArray utf8_;
};
